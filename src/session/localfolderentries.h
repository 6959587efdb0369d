#pragma once

#include "platform/rowsort.h"

#include <QByteArray>

#include <optional>
#include <vector>

// The entries of a local folder as the upload of a folder tree queues them: read from the file
// system (not from the local pane, which may show another folder), in the order the local pane
// sorts its rows (by default folders first, each group in name order). Links are followed when their target stays inside the folder; any other link and
// any name that cannot be one entry on the server are refused.
struct LocalFolderEntries {
    struct Entry {
        QByteArray name;
        qint64 size = 0;
        bool isFolder = false;
        qint64 modified = 0; // seconds since the epoch
    };
    enum class Refusal { Name, Link };
    struct Refused {
        QByteArray name;
        Refusal why;
    };

    std::vector<Entry> entries;
    std::vector<Refused> refused;
    int error = 0; // errno when the folder could not be read

    // A folder of more entries than this is read no further.
    static constexpr int maxEntries = 1'000'000;
};

// `order`: the local pane's columns (name, size, date), as it sorts them.
[[nodiscard]] LocalFolderEntries ListLocalFolder(const QByteArray &path,
                                                 const std::optional<RowOrder> &order = std::nullopt);
