#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <optional>

// The way from one folder to another as a file manager walks it: so many levels up, then down
// through the named folders. Slash-style paths, or backslash-style ones ("C:\dir") when the path
// holds a backslash; "." and empty parts are no steps.
struct FolderWalk {
    int up = 0;
    QByteArrayList down;
};

[[nodiscard]] FolderWalk walkBetween(const QByteArray &from, const QByteArray &to);

// The folder reached from `from` by that walk; nullopt when it climbs above the top (the root,
// or the drive of a backslash-style path) or names ".." on the way down.
[[nodiscard]] std::optional<QByteArray> followWalk(const QByteArray &from, const FolderWalk &walk);

// `path` cut by `levels` folders; nullopt above the top.
[[nodiscard]] std::optional<QByteArray> climb(const QByteArray &path, int levels);
