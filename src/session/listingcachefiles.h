#pragma once

#include "platform/filerow.h"

#include <QByteArray>
#include <QString>

#include <functional>

class IniFile;
class QIODevice;
struct LoginFields;

// The listing cache's files as the remote pane and the Site Manager both see them: where they
// live and how a server's files are found.

// programFolder + "Cache".
[[nodiscard]] QString listingCacheFolder();

// A host name never holds a path separator; one that does must not lead outside the cache folder.
[[nodiscard]] QString cacheFileNamePart(QString text);

// Deletes every cache file in `cacheFolder` whose name begins with `text` and ends in ".ini"; the
// text is matched literally. True when at least one matched.
bool deleteCacheFilesWithPrefix(const QString &cacheFolder, const QString &text);

// What tells one server's listings from another's: the user as the login sends it, "@", the host,
// and "#" with the port when it is not 21. "%", "@", "#", "$", ":", path separators and control
// characters of the user and the host are written as "%XX", so that no two servers share a key
// and none leads outside the cache folder.
[[nodiscard]] QString listingCacheKey(const LoginFields &login);
// Listings were once cached under the host alone, so two servers on one host shared them. Those
// names are still read for port 21, where they most likely came from; empty for other ports.
[[nodiscard]] QString legacyListingCacheKey(const LoginFields &login);
// key "$" path, with "\\" and "/" as "$" and ":" as "@", ".ini".
[[nodiscard]] QString cacheFileName(const QString &key, const QString &path);
// Deletes every cached listing of the server of `login`, those under its old name included; true
// when at least one matched.
bool deleteServerCacheFiles(const QString &cacheFolder, const LoginFields &login);

inline constexpr const char *listingCacheSection = "CACHELIST";

// One row as the value of its "ITEMn" key.
[[nodiscard]] QByteArray cacheValueFromRow(const FileRow &row);
// Writes `count` rows as the listing of `file`, rowAt(i) being the row shown at i. Keys the file
// already holds beyond the count stay.
bool writeCacheRows(const QString &file, qsizetype count,
                    const std::function<FileRow(qsizetype)> &rowAt);
// The two ways writeCacheRows takes: a new file streamed to `out` (false when a write failed),
// and the rows written into a file already read. For an empty IniFile both give the same bytes.
bool streamCacheRows(QIODevice &out, qsizetype count, const std::function<FileRow(qsizetype)> &rowAt);
void setCacheRows(IniFile &ini, qsizetype count, const std::function<FileRow(qsizetype)> &rowAt);
