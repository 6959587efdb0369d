#pragma once

#include "session/queueitem.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

// The binary queue file: a 16-byte header ("QUEUEDAT010", NUL, the 32-bit little-endian record
// count) and one 544-byte record per item, head first. Pure functions over bytes and files, so
// that the format is testable without a window.
namespace queuefile
{

inline constexpr qsizetype headerSize = 16;
inline constexpr qsizetype recordSize = 544;
inline constexpr qsizetype nameOffset = 0;
inline constexpr qsizetype sizeOffset = 260;
inline constexpr qsizetype sizeWidth = 12;
inline constexpr qsizetype destinationOffset = 272;
inline constexpr qsizetype pathWidth = 260;
inline constexpr qsizetype directionOffset = 532;
inline constexpr qsizetype folderOffset = 536;
// More records than any real queue holds; a file that claims more is read that far.
inline constexpr quint32 maxRecords = 1000000;

inline constexpr const char *autosaveName = "QUEUE.Q";
inline constexpr const char *temporaryName = "QUEUE$.Q";
inline constexpr const char *backupName = "QUEUE.BAK";

// The size text as the field keeps it. A text too long for the field loses its "," separators
// rather than its last digits (the reader ignores them anyway); a number of 13 digits or more
// does not fit even then and gives the empty text (an unknown size), never a wrong one.
[[nodiscard]] QByteArray sizeFieldText(const QByteArray &sizeText);

// The whole file for these items. A path longer than its field cannot come from the queue (it is
// refused when queued) and would be left out rather than cut. `sizesDropped` receives the names whose size
// text was lost.
[[nodiscard]] QByteArray encode(const std::vector<QueueItem> &items,
                                std::vector<QByteArray> *sizesDropped = nullptr);

struct Decoded {
    bool headerComplete = false;
    quint32 count = 0; // as the header says
    std::vector<QueueItem> items;
    // Every counted record was there.
    [[nodiscard]] bool complete() const { return headerComplete && items.size() == count; }
};
// Reads what is there: the magic text is not checked, and a count larger than the file is
// believed only as far as whole records follow (memory grows with the records read, never with
// the count).
[[nodiscard]] Decoded decode(QIODevice &in);

// A name that is not an absolute path lives in `programFolder` and is saved through the
// temporary file; an absolute one is used as given.
struct Target {
    QString path;
    bool inProgramFolder = false;
};
[[nodiscard]] Target resolve(const QString &fileName, const QString &programFolder);

enum class SaveStatus {
    Saved,
    NothingToSave, // empty queue: nothing written (a file in the program folder is removed)
    CannotCreate,  // the file could not be opened for writing
    CannotWrite,   // writing failed (disk full...); the previous file is untouched
    CannotReplace, // the temporary file could not be renamed into place; it stays
};
enum class Backup { Keep, Rotate };
struct SaveResult {
    SaveStatus status = SaveStatus::Saved;
    QString error; // the system's text for the failure
    std::vector<QByteArray> sizesDropped;
};
// Writes the items. In the program folder the bytes go to QUEUE$.Q, reach the disk, and are then
// renamed over the target in one step, so that the target is at every moment either the old or
// the new file, whole. With Backup::Rotate the old file becomes QUEUE.BAK first, still without a
// moment in which the target is missing. An absolute name is replaced the same safe way.
[[nodiscard]] SaveResult save(const QString &fileName, const std::vector<QueueItem> &items, Backup backup,
                              const QString &programFolder);

// Puts the bytes of a queue file (the one that stood when the run began) in QUEUE.BAK, written
// as safely as QUEUE.Q; empty bytes remove the backup.
[[nodiscard]] SaveResult saveBackup(const QByteArray &previousFile, const QString &programFolder);

struct LoadResult {
    bool opened = false;
    Decoded decoded;
};
[[nodiscard]] LoadResult load(const QString &fileName, const QString &programFolder);

} // namespace queuefile
