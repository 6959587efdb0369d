#pragma once

#include <QByteArray>

// How remote paths are joined. Remote paths are bytes as the server sent them; a path with a
// backslash is a backslash-style path (servers on other systems send those), any other path
// uses "/".

[[nodiscard]] bool isBackslashPath(const QByteArray &path);

// The separator of the path's style.
[[nodiscard]] char pathSeparator(const QByteArray &path);

// base, the separator of its style and name, with a doubled separator collapsed.
[[nodiscard]] QByteArray childPath(const QByteArray &base, const QByteArray &name);

// Every doubled separator of that style made single.
[[nodiscard]] QByteArray collapseSeparators(QByteArray path, char separator);
