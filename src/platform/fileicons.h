#pragma once

#include <QString>
#include <QStringView>

// The icon list shared by the file lists: rows carry a small index into it, and the list turns the
// index into a picture on the window thread. Lookups are callable from any thread.
namespace fileicons
{

struct IconName {
    QString themeName;   // the icon theme's name for the type, e.g. "text-plain"
    QString genericName; // the theme's generic fallback, e.g. "text-x-generic"
    bool folder = false;
};

// The folder icon.
[[nodiscard]] int folderIndex();
// By type only, without touching any file: a pattern such as "*.zip" or "*.*".
[[nodiscard]] int indexForType(QStringView pattern);
// The real file or folder at `path`.
[[nodiscard]] int indexForPath(const QString &path);
// Extensions whose type is remembered. The extensions come from servers' listings and cache files,
// so the memory is capped; one beyond the cap is looked up every time, with the same result.
inline constexpr qsizetype typeCacheLimit = 2048;
[[nodiscard]] qsizetype cachedTypeCount();

// The names behind an index; an unknown index gives the generic file.
[[nodiscard]] IconName iconName(int index);

} // namespace fileicons
