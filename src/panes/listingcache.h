#pragma once

#include "engine/loginfields.h"

#include "controls/sortlistrow.h"
#include "session/listingcachefiles.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class CSortListCtrl;
class IniFile;
class SortListModel;

// The on-disk cache of remote listings: one ini file per server and directory, so that a folder
// seen once is shown again at once, also when not connected. Works on the remote pane's list;
// the server is the login given, the session's (listingCacheKey). Window thread only.
class ListingCache
{
public:
    static constexpr const char *section = listingCacheSection;

    // `login` is read as it is at each call: it changes with the session.
    ListingCache(CSortListCtrl *list, const LoginFields &login, QString folder = defaultFolder());

    // programFolder + "Cache".
    static QString defaultFolder();
    const QString &folder() const { return folder_; }

    // cacheFileName of the server's key and path, in the cache folder.
    [[nodiscard]] QString CacheFilePath(const QString &path) const;
    // True when the list now shows the cached rows of path (from the file under the server's old
    // name when only that exists); false (list untouched) when the directory is not cached.
    // While skipCacheOnce is set, drops the files instead and clears it.
    [[nodiscard]] bool ReadCachedListing(const QString &path);
    // Saves the list's rows, in display order, as the file of currentPath.
    void WriteCachedListing(const QString &currentPath);
    // Saves rows that the list does not show as the file of `path`.
    void WriteCachedRows(const QString &path, FileRows rows);
    // byPrefix false: deletes the files of the directory `text`; returns false.
    // byPrefix true: deletes every cache file whose name begins with `text` and ends in ".ini",
    // and, when `text` begins with the server's key, the same files under its old name; returns
    // true when at least one matched.
    bool DeleteCachedListings(const QString &text, bool byPrefix);
    // Every cached listing of the session's server; true when at least one matched.
    bool DeleteServerListings();

    // Set by Refresh and by the operations that changed the directory on the server.
    int skipCacheOnce = 0;

private:
    // The file of path under the server's old name; empty when it has none.
    [[nodiscard]] QString legacyFilePath(const QString &path) const;

    CSortListCtrl *list_;
    const LoginFields &login_;
    QString folder_;
};

// The file format, apart from the list; names are shown in `charset` (empty for automatic).
[[nodiscard]] SortListRow cacheRowFromValue(QByteArrayView value, QByteArrayView charset = {});
// No rows for a file without the section or COUNT.
[[nodiscard]] FileRows cacheRows(const IniFile &ini, QByteArrayView charset = {});
// nullopt when the file cannot be opened.
[[nodiscard]] std::optional<FileRows> readCacheRows(const QString &file, QByteArrayView charset = {});
[[nodiscard]] std::optional<std::vector<SortListRow>> readCacheFile(const QString &file);
// The rows in display order.
bool writeCacheFile(const QString &file, const SortListModel &rows);
