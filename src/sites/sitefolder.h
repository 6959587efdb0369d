#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// One folder of the site list, 36 bytes in the site file.
struct SiteFolder {
    static constexpr qsizetype size = 36;

    std::int32_t index = 0; // position in the folder list; sites name their folder by it
    std::array<char, 32> folderName{};

    // A new folder: `index` the number of folders before it, named "Folder".
    static SiteFolder make(int index);

    // Exactly the bytes of the file (little-endian), bytes after the terminator included.
    QByteArray toBytes() const;
    // `bytes` holds at least `size` bytes.
    static SiteFolder fromBytes(const char *bytes);

    QString name() const;
    void setName(const QString &name);

    bool operator==(const SiteFolder &) const = default;
};
