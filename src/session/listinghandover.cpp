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

// Puts the rows in the order the pane sorts them into. Sorting them again from this order gives
// this order, so the pane shows them as the cache holds them. In place, cycle by cycle: a second
// vector of a million rows would raise the peak by their whole size.
void putInShownOrder(std::vector<FileEntry> &rows, const RowOrder &order)
{
    std::vector<quint32> shown(rows.size());
    std::iota(shown.begin(), shown.end(), 0u);
    shown = sortedRowOrder(rows, order.column, order.kind, order.ascending, shown);
    std::vector<bool> placed(rows.size());
    for (size_t start = 0; start < rows.size(); ++start) {
        if (placed[start])
            continue;
        FileEntry first = std::move(rows[start]);
        size_t at = start;
        while (shown[at] != start) {
            rows[at] = std::move(rows[shown[at]]);
            placed[at] = true;
            at = shown[at];
        }
        rows[at] = std::move(first);
        placed[at] = true;
    }
}

void writeCache(const ListingCacheTarget &target, std::vector<FileEntry> &rows)
{
    if (target.order)
        putInShownOrder(rows, *target.order);
    // Failures are not reported: the cache only saves a trip to the server.
    QDir().mkpath(QFileInfo(target.file).absolutePath());
    (void)writeCacheRows(target.file, qsizetype(rows.size()),
                         [&rows](qsizetype i) -> const FileRow & { return rows[size_t(i)]; });
}

} // namespace

void handOverListing(const QByteArray &path, std::vector<FileEntry> rows, bool writeCacheFile)
{
    if (writeCacheFile) {
        if (const std::optional<ListingCacheTarget> target = cacheTarget(path)) {
            writeCache(*target, rows);
            writeCacheFile = false;
        }
    }
    auto shared = std::make_shared<std::vector<FileEntry>>(std::move(rows));
    uithread::call<bool>([path, shared, writeCacheFile] {
        if (RemoteListView *view = session().views.remote)
            view->showRemoteListing(path, std::move(*shared), writeCacheFile);
        return true;
    });
}
