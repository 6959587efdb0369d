#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

// One stored server, 700 bytes in a version-011 site file and 664 in version 010 (which ends
// after `anonymous`).
struct SiteRecord {
    static constexpr qsizetype size = 700;
    static constexpr qsizetype size010 = 664;

    std::int32_t folderIndex = 0;        // 0
    std::array<char, 30> siteName{};     // 4
    std::array<char, 50> address{};      // 34
    std::array<char, 30> userId{};       // 84
    std::array<char, 20> sitePassword{}; // 114
    std::array<char, 2> padding{};       // 134
    std::int32_t port = 0;               // 136
    std::array<char, 260> remotePath{};  // 140
    std::array<char, 260> localPath{};   // 400
    std::int32_t anonymous = 0;          // 660
    std::int32_t relativePath = 0;       // 664
    std::array<char, 32> reserved{};     // 668

    // A new site in `folder`: named "FTP site", port 21, everything else zero.
    static SiteRecord make(int folder);

    // Exactly the 700 bytes of the file (little-endian), bytes after the terminators included.
    QByteArray toBytes() const;
    // `bytes` holds at least `size` bytes.
    static SiteRecord fromBytes(const char *bytes);
    // `bytes` holds at least `size010` bytes. Texts are taken up to their terminators;
    // `relativePath` and the reserved bytes stay zero.
    static SiteRecord fromBytes010(const char *bytes);

    bool operator==(const SiteRecord &) const = default;
};
