#pragma once

// The server family, learned from the greeting and the listings.
enum class ServerKind : int {
    Generic = 6000,
    Exos = 6009,
    UnixListing = 6010,
    Microsoft = 6014,
};
