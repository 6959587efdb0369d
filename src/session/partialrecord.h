#pragma once

#include <QByteArray>

#include <optional>

// What was known of the remote file when the download of a partial local file started: the
// server and path it came from, its size and its modified time ("MDTM 20240131235959", or
// "LIST <date text>" when only the listing told, empty when nothing told). Kept beside the partial
// file (an extended attribute, or a small hidden side file where the file system has none) and
// removed once the file is complete, so that a later resume can tell whether the remote file is
// still the one the part came from.
struct PartialRecord {
    QByteArray server;
    QByteArray remotePath;
    qint64 size = -1;
    QByteArray modified;

    [[nodiscard]] QByteArray toBytes() const;
    // Nothing for bytes that are no record (damaged, cut, of another version).
    [[nodiscard]] static std::optional<PartialRecord> fromBytes(const QByteArray &bytes);
    bool operator==(const PartialRecord &) const = default;
};

namespace partialrecord
{

struct Loaded {
    enum class State { Missing, Damaged, Found };
    State state = State::Missing;
    PartialRecord record;
};

[[nodiscard]] Loaded load(const QByteArray &localPath);
// False when neither the attribute nor the side file could be written.
bool save(const QByteArray &localPath, const PartialRecord &record);
void remove(const QByteArray &localPath);
// The hidden side file used where the file system keeps no extended attributes.
[[nodiscard]] QByteArray sidePath(const QByteArray &localPath);

} // namespace partialrecord
