#pragma once

#include "platform/filerows.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The local file system as the local pane sees it: POSIX paths as bytes (a name need not be valid
// UTF-8 and must still reach unlink and rename unchanged), "/" as the only separator and "/" as
// the root. Pure functions, usable from any thread.
namespace localfolder
{

// folder + "/" + name, with doubled separators collapsed.
[[nodiscard]] QByteArray joinPath(const QByteArray &folder, const QByteArray &name);

struct ParentStep {
    bool hasParent = false;
    QByteArray parent;   // the folder to show
    QByteArray leftName; // the folder being left, to select in the parent
};
// "/home/ann" gives "/home" leaving "ann"; "/home" gives "/" leaving "home"; "/" has no parent.
[[nodiscard]] ParentStep parentOf(const QByteArray &folder);

// Doubled separators collapsed; a trailing separator dropped except for the root.
[[nodiscard]] QByteArray tidyPath(const QByteArray &typed);

// True when the name stays one entry of its folder: not empty, not "." or "..", no "/", no control
// byte, and no longer than a name the file system takes (255 bytes).
[[nodiscard]] bool isEntryName(const QByteArray &name);
inline constexpr int maxNameBytes = 255;

// True when the path names a folder (following links) that exists.
[[nodiscard]] bool folderExists(const QByteArray &path);

// "1,234,567": digits with "," before each group of three from the right; 64-bit.
[[nodiscard]] QString groupedSize(qint64 size);

// The path as shown: UTF-8 when valid, otherwise the user's legacy code page.
[[nodiscard]] QString shownPath(const QByteArray &path);

struct Listing {
    FileRows rows;
    int error = 0;       // errno when the folder could not be opened or read to the end
    bool capped = false; // more entries than maxEntries; the rest is not shown
};
inline constexpr int maxEntries = 500000;
// One row per entry except "." and "..": Name, Size (empty for a folder), Date/Time; item data
// 242 for a folder (a link to a folder included) and 2 otherwise. A link that leads nowhere (or
// around in a loop) is listed as what it is, a link, and never followed further.
[[nodiscard]] Listing listFolder(const QByteArray &folder, int limit = maxEntries);

struct Failure {
    QByteArray path;
    int error = 0;
};
// Removes a file (or link) or an empty folder.
[[nodiscard]] std::optional<Failure> removeEntry(const QByteArray &path, bool folder);
// Removes the folder with everything in it, depth first. Links are removed, never followed.
// Stops at the first entry that cannot be removed and names it; nothing after it is touched.
[[nodiscard]] std::optional<Failure> deleteTree(const QByteArray &root);
// Gives the entry a new name; an existing entry of the new name is never replaced.
[[nodiscard]] std::optional<Failure> renameEntry(const QByteArray &from, const QByteArray &to);

// The system's text for an errno value.
[[nodiscard]] QString errorText(int error);

} // namespace localfolder
