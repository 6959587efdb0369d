#include "panes/listingcache.h"

#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"
#include "platform/fileicons.h"
#include "platform/inifile.h"
#include "platform/namecodec.h"
#include "platform/programpaths.h"
#include "platform/recenttexts.h"
#include "session/listingcachefiles.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <array>

namespace
{

constexpr int folderItemData = 0xF2;
constexpr int fileItemData = 2;

QString fieldText(QByteArrayView bytes)
{
    return QString::fromUtf8(namecodec::unescapeField(bytes));
}

// "ITEM12" -> 12; -1 for any other key ("ITEM012" is not the key of row 12).
qint64 itemIndex(QByteArrayView key)
{
    if (key.size() < 5 || qstrnicmp(key.data(), "ITEM", 4) != 0)
        return -1;
    const QByteArrayView digits = key.sliced(4);
    if (digits.size() > 10 || (digits.size() > 1 && digits.front() == '0'))
        return -1;
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

SortListRow cacheRowFromValue(QByteArrayView value, QByteArrayView charset)
{
    // A ";" that a file written without escapes holds in a name ends the name there and shifts
    // the later fields.
    std::array<QByteArrayView, 5> fields{};
    qsizetype start = 0;
    for (size_t i = 0; i < fields.size() && start <= value.size(); ++i) {
        qsizetype end = value.indexOf(';', start);
        if (end < 0)
            end = value.size();
        fields[i] = value.sliced(start, end - start);
        start = end + 1;
    }
    SortListRow row;
    const bool folder = fields[0] == "D";
    row.itemData = folder ? folderItemData : fileItemData;
    const QByteArray name = namecodec::unescapeField(fields[1]);
    thread_local RecentTexts dates(fieldText), attributes(fieldText);
    bool exact = true;
    row.texts = {namecodec::displayName(name, &exact, charset), folder ? QString() : fieldText(fields[2]),
                 dates.text(fields[3]), attributes.text(fields[4])};
    if (!exact)
        row.rawName = name;
    if (folder) {
        row.icon = fileicons::folderIndex();
    } else {
        const qsizetype dot = name.lastIndexOf('.');
        row.icon = fileicons::indexForType(dot > 0 ? QStringLiteral("*.") +
                                                         namecodec::decodeName(name.sliced(dot + 1))
                                                   : QStringLiteral("*.*"));
    }
    return row;
}

std::optional<FileRows> readCacheRows(const QString &file, QByteArrayView charset)
{
    IniFile ini(file);
    if (!ini.load())
        return std::nullopt;
    return cacheRows(ini, charset);
}

FileRows cacheRows(const IniFile &ini, QByteArrayView charset)
{
    const int count = ini.intValue(ListingCache::section, "COUNT", 0);
    // Only the keys the file really holds are read, so a hostile COUNT costs nothing; a row key
    // missing below COUNT gives no row rather than an empty one.
    std::vector<std::pair<qint64, QByteArray>> items;
    for (const QByteArray &key : ini.keys(ListingCache::section)) {
        const qint64 index = itemIndex(key);
        if (index >= 0 && index < count)
            items.emplace_back(index, key);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    items.erase(std::unique(items.begin(), items.end(),
                            [](const auto &a, const auto &b) { return a.first == b.first; }),
                items.end());
    FileRows rows;
    rows.reserve(items.size());
    for (const auto &item : items)
        rows.push_back(cacheRowFromValue(ini.value(ListingCache::section, item.second), charset));
    return rows;
}

std::optional<std::vector<SortListRow>> readCacheFile(const QString &file)
{
    std::optional<FileRows> rows = readCacheRows(file);
    return rows ? std::optional(rows->toVector()) : std::nullopt;
}

bool writeCacheFile(const QString &file, const SortListModel &rows)
{
    return writeCacheRows(file, rows.size(), [&rows](qsizetype i) { return rows.row(int(i)); });
}

ListingCache::ListingCache(CSortListCtrl *list, const LoginFields &login, QString folder)
    : list_(list), login_(login), folder_(std::move(folder))
{
}

QString ListingCache::defaultFolder()
{
    return listingCacheFolder();
}

QString ListingCache::CacheFilePath(const QString &path) const
{
    return folder_ + QLatin1Char('/') + cacheFileName(listingCacheKey(login_), path);
}

QString ListingCache::legacyFilePath(const QString &path) const
{
    const QString key = legacyListingCacheKey(login_);
    return key.isEmpty() ? QString() : folder_ + QLatin1Char('/') + cacheFileName(key, path);
}

bool ListingCache::ReadCachedListing(const QString &path)
{
    const QString file = CacheFilePath(path);
    const QString legacy = legacyFilePath(path);
    if (skipCacheOnce) {
        skipCacheOnce = 0;
        QFile::remove(file);
        if (!legacy.isEmpty())
            QFile::remove(legacy);
        return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::optional<FileRows> rows = readCacheRows(file, login_.charset);
    if (!rows && !legacy.isEmpty())
        rows = readCacheRows(legacy, login_.charset);
    if (rows)
        list_->setRows(std::move(*rows));
    QGuiApplication::restoreOverrideCursor();
    return rows.has_value();
}

void ListingCache::WriteCachedListing(const QString &currentPath)
{
    // Failures are not reported: the cache only saves a trip to the server.
    QDir().mkpath(folder_);
    (void)writeCacheFile(CacheFilePath(currentPath), *list_->listModel());
}

void ListingCache::WriteCachedRows(const QString &path, FileRows rows)
{
    SortListModel model;
    model.setRows(std::move(rows));
    QDir().mkpath(folder_);
    (void)writeCacheFile(CacheFilePath(path), model);
}

bool ListingCache::DeleteCachedListings(const QString &text, bool byPrefix)
{
    if (!byPrefix) {
        // The old name's file too, or it would show the directory as it was before the change.
        QFile::remove(CacheFilePath(text));
        if (const QString legacy = legacyFilePath(text); !legacy.isEmpty())
            QFile::remove(legacy);
        return false;
    }
    bool matched = deleteCacheFilesWithPrefix(folder_, text);
    const QString key = listingCacheKey(login_) + QLatin1Char('$');
    const QString legacy = legacyListingCacheKey(login_);
    if (!legacy.isEmpty() && text.startsWith(key))
        matched = deleteCacheFilesWithPrefix(folder_, legacy + text.mid(key.size() - 1)) || matched;
    return matched;
}

bool ListingCache::DeleteServerListings()
{
    return deleteServerCacheFiles(folder_, login_);
}
