#pragma once

#include "platform/filerows.h"

#include <QByteArray>
#include <QString>

// What the existing-file question shows of one file: its size in bytes (-1 when not known) and
// its date as the lists show it (empty when not known).
struct FileFacts {
    qint64 size = -1;
    QString date;

    bool operator==(const FileFacts &) const = default;
};

// The two files of the question: the one already at the destination, and the one the transfer
// would put in its place.
struct ExistingFileFacts {
    FileFacts existing;
    FileFacts incoming;
    // The end of the existing file was compared with the other side and matches.
    bool resumeVerified = false;
};

// A local file's size and last-write date (the date as the local pane shows it); nothing known
// when it cannot be read.
[[nodiscard]] FileFacts localFileFacts(const QByteArray &path);
// The size and date of the row of that name in a remote listing; nothing known when it is not
// listed there. Names compare without regard to case, as the transfer's own lookup does.
[[nodiscard]] FileFacts listedFileFacts(const FileRows &rows, const QByteArray &name);
