#include "session/listinghandover.h"

#include "platform/uithread.h"
#include "session/listingcachefiles.h"
#include "session/sessionstate.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <numeric>

namespace
{

std::optional<ListingCacheTarget> cacheTarget(const QByteArray &path)
{
    return uithread::call<std::optional<ListingCacheTarget>>([path]() -> std::optional<ListingCacheTarget> {
        if (RemoteListView *view = session().views.remote)
            return view->listingCacheTarget(path);
        return std::nullopt;
    });
}

void writeCache(const ListingCacheTarget &target, FileRows &rows)
{
    if (target.order)
        putInShownOrder(rows, *target.order);
    // Failures are not reported: the cache only saves a trip to the server.
    QDir().mkpath(QFileInfo(target.file).absolutePath());
    (void)writeCacheRows(target.file, qsizetype(rows.size()), [&rows](qsizetype i) { return rows.at(size_t(i)); });
}

void show(const QByteArray &path, FileRows rows, bool writeCacheFile)
{
    auto shared = std::make_shared<FileRows>(std::move(rows));
    uithread::call<bool>([path, shared, writeCacheFile] {
        if (RemoteListView *view = session().views.remote)
            view->showRemoteListing(path, std::move(*shared), writeCacheFile);
        return true;
    });
}

} // namespace

void putInShownOrder(FileRows &rows, const RowOrder &order)
{
    std::vector<quint32> shown(rows.size());
    std::iota(shown.begin(), shown.end(), 0u);
    rows.reorder(sortedRowOrder(rows, order.column, order.kind, order.ascending, shown));
}

void handOverListing(const QByteArray &path, FileRows rows, bool writeCacheFile)
{
    if (writeCacheFile) {
        if (const std::optional<ListingCacheTarget> target = cacheTarget(path)) {
            writeCache(*target, rows);
            writeCacheFile = false;
        }
    }
    show(path, std::move(rows), writeCacheFile);
}

void showListedFolder(Session &s, const QByteArray &path, FileRows rows)
{
    auto shared = std::make_shared<FileRows>(std::move(rows));
    uithread::post([&s, path, shared] {
        if (RemoteListView *view = s.views.remote) {
            view->setRemotePath(path);
            view->showRemoteListing(path, std::move(*shared), false);
        }
    });
}
