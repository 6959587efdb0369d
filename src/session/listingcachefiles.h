#pragma once

#include <QString>

// The listing cache's files as the remote pane and the Site Manager both see them: where they
// live and how a server's files are found.

// programFolder + "Cache".
[[nodiscard]] QString listingCacheFolder();

// A host name never holds a path separator; one that does must not lead outside the cache folder.
[[nodiscard]] QString cacheFileNamePart(QString text);

// Deletes every cache file in `cacheFolder` whose name begins with `text` (a server's host name) and
// ends in ".ini"; the text is matched literally. True when at least one matched.
bool deleteCacheFilesWithPrefix(const QString &cacheFolder, const QString &text);
