#pragma once

#include "engine/hashreply.h"
#include "engine/streamhash.h"

#include <QByteArray>

#include <optional>

class RemoteProtocol;

// The check after a transfer: the file's hash, built while its bytes stream, compared with the
// server's when the server offers a hash command. Binary transfers only: a text transfer changes
// the line ends on the way, so the two sides' files differ by design.
class TransferChecksum
{
public:
    enum class Verdict {
        NotChecked, // no hash offered, turned off, or the server's answer said nothing usable
        Verified,
        Mismatch
    };

    TransferChecksum(RemoteProtocol &protocol, bool enabled, char type);

    // What the transfer feeds (null: nothing to compute).
    [[nodiscard]] StreamHash *hash() { return hash_ ? &*hash_ : nullptr; }
    // Asks the server for its hash of the file and compares; the log says what came of it.
    Verdict check(const QByteArray &remotePath, const QByteArray &shown);
    // The file may leave the queue: its hash did not differ. After a resumed transfer the log
    // says whether the whole file was verified or only the overlap before the resume point.
    [[nodiscard]] bool passes(const QByteArray &remotePath, const QByteArray &shown, bool resumed);
    // "SHA-256", for the log.
    [[nodiscard]] QByteArray algorithmName() const;

private:
    RemoteProtocol &protocol_;
    std::optional<HashCommand> command_;
    std::optional<StreamHash> hash_;
};
