#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// What the version file on the program's web site announces: lines holding "VERSION",
// "RELEASE" or "DOWNURL", each with its value two characters after the line's first colon
// ("VERSION: 000603"). When a word occurs on several lines the last one wins.
struct VersionFile {
    bool hasVersion = false;
    QString versionText; // as received, at most 255 characters
    int version = 0;     // a missing line reads as 0
    bool hasRelease = false;
    QString releaseText; // as received, at most 255 characters
    QDate release;       // invalid when the text is no date
    QString downloadAddress;
};

// The longest line read; the rest of a longer line is ignored.
inline constexpr int versionFileLineLimit = 1023;

[[nodiscard]] VersionFile parseVersionFile(const QByteArray &body);

// Newer when the version number is higher or the release date later than our own. A missing
// or unusable release date never makes a file newer.
[[nodiscard]] bool announcesUpgrade(const VersionFile &file, int ownVersion, QDate ownRelease);
