#pragma once

// Interim (the listing loader proper replaces this file).
void LoadListing();
