#pragma once

#include "engine/serverfeatures.h"
#include "engine/streamhash.h"

#include <QByteArray>

#include <optional>

// How to ask this server for a file's hash: HASH (after OPTS HASH picks the algorithm) or one of
// the older one-algorithm commands (XSHA256, XSHA1, XMD5, XCRC).
struct HashCommand {
    HashAlgorithm algorithm = HashAlgorithm::Sha256;
    bool viaHash = false; // HASH; otherwise the X command
    [[nodiscard]] QByteArray verb() const;
    bool operator==(const HashCommand &) const = default;
};

// The strongest hash the server offers (SHA-256, else SHA-1, else MD5, else CRC32; HASH before the
// X command of the same algorithm), or nothing.
[[nodiscard]] std::optional<HashCommand> ChooseHashCommand(const ServerFeatures &features);

// The digest in a positive reply to the command, in lower-case hex, or nothing when the reply is
// no hash of that algorithm: another algorithm named, a digest of the wrong length or with
// anything but hex digits, a part of the file instead of all of it.
//   HASH:    "213 SHA-256 0-1234 <hex> name"
//   XSHA256: "213 <hex>" (some servers add the name after it, or answer 250)
[[nodiscard]] std::optional<QByteArray> ParseHashReply(const QByteArray &reply, const HashCommand &command);
