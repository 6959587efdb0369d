#pragma once

#include <QByteArray>

#include <vector>

// The entries of a local folder as the upload of a folder tree queues them: read from the file
// system (not from the local pane, which may show another folder), folders first, each group in
// name order. Links are followed when their target stays inside the folder; any other link and
// any name that cannot be one entry on the server are refused.
struct LocalFolderEntries {
    struct Entry {
        QByteArray name;
        qint64 size = 0;
        bool isFolder = false;
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

[[nodiscard]] LocalFolderEntries ListLocalFolder(const QByteArray &path);
