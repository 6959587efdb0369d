#include "session/listinghandover.h"

#include "session/listingcachefiles.h"
#include "session/viewposts.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <numeric>

namespace
{

void writeCache(const ListingCacheTarget &target, FileRows &rows)
{
    if (target.order)
        putInShownOrder(rows, *target.order);
    // Failures are not reported: the cache only saves a trip to the server.
    QDir().mkpath(QFileInfo(target.file).absolutePath());
    (void)writeCacheRows(target.file, qsizetype(rows.size()), [&rows](qsizetype i) { return rows.at(size_t(i)); });
}

} // namespace

void putInShownOrder(FileRows &rows, const RowOrder &order)
{
    std::vector<quint32> shown(rows.size());
    std::iota(shown.begin(), shown.end(), 0u);
    rows.reorder(sortedRowOrder(rows, order.column, order.kind, order.ascending, shown));
}

void handOverListing(Session &s, const QByteArray &path, FileRows rows, bool writeCacheFile,
                     const std::optional<ListingCacheTarget> &cache)
{
    std::optional<RowOrder> sortedBy;
    if (writeCacheFile && cache && cache->folder == path) {
        writeCache(*cache, rows);
        sortedBy = cache->order;
        writeCacheFile = false;
    }
    auto shared = std::make_shared<FileRows>(std::move(rows));
    viewposts::remote(s, [path, shared, writeCacheFile, sortedBy](RemoteListView &view) {
        view.showRemoteListing(path, std::move(*shared), writeCacheFile, sortedBy);
    });
}

void showListedFolder(Session &s, const QByteArray &path, FileRows rows)
{
    auto shared = std::make_shared<FileRows>(std::move(rows));
    viewposts::remote(s, [path, shared](RemoteListView &view) {
        view.setRemotePath(path);
        view.showRemoteListing(path, std::move(*shared), false, std::nullopt);
    });
}
