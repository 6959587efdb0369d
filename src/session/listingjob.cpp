#include "session/listingjob.h"

#include "engine/listingloader.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "session/listinghandover.h"
#include "session/remoteprotocol.h"
#include "session/session.h"
#include "session/viewposts.h"

#include <QFile>

namespace
{

void keepDebugCopy(const Session &s, const QString &listingFile)
{
    const QString copy = debugListingPath(listingFile);
    QFile::remove(copy);
    if (QFile::copy(listingFile, copy))
        viewposts::status(s, [copy](StatusView &view) { view.openDocument(copy); });
    else
        AppendLog(QStringLiteral("Could not copy the listing to %1\n").arg(copy), LogColor::Error);
}

// Whatever way the listing step ends (a stop and a lost connection leave by an exception), the
// listing file goes, the listing flag comes down and the cursor comes back when it was shown.
class ListingStepScope
{
public:
    ListingStepScope(Session &s, bool cursor) : s_(s), cursor_(cursor)
    {
        if (cursor_)
            viewposts::setWaitCursor(s, true);
    }
    ~ListingStepScope()
    {
        // The listing file is the only copy of a listing that can be gigabytes long.
        QFile::remove(programpaths::listingTempFile());
        s_.listingRunning = false;
        s_.machineListingWanted = false;
        if (cursor_)
            viewposts::setWaitCursor(s_, false);
    }
    ListingStepScope(const ListingStepScope &) = delete;
    ListingStepScope &operator=(const ListingStepScope &) = delete;

private:
    Session &s_;
    bool cursor_;
};

struct FetchedListing {
    QByteArray path;
    FileRows rows;
};

// PWD, the pane's path set and its list cleared, LIST, the rows parsed, and what the parser
// learnt about the server kept for the connection. nullopt, with the reason in `result`, when a
// step failed.
std::optional<FetchedListing> fetchListing(RemoteProtocol &protocol, Session &s, OperationResult &result,
                                           bool showCursor)
{
    std::optional<QByteArray> named;
    result = protocol.printFolder(named);
    if (!result.done())
        return std::nullopt;
    FetchedListing listing{TrimListingPath(named.value_or("unknown")), {}};
    viewposts::remote(s, [path = listing.path](RemoteListView &view) {
        view.setRemotePath(path);
        view.clearRemoteList();
    });
    if (showCursor)
        s.waitCursor = true;

    result = protocol.listWorkingFolder();
    if (!result.done())
        return std::nullopt;
    ListingState state(s.serverKind);
    state.machineListing = s.machineListing;
    state.charset = s.charset;
    std::optional<FileRows> rows = ReadListingFile(programpaths::listingTempFile(), state);
    if (!rows) {
        result = {OperationResult::Outcome::Refused};
        return std::nullopt;
    }
    s.listingRunning = true;
    // A Microsoft server that sent Unix-style lines stays switched until the next login.
    s.serverKind = state.serverKind;
    s.koreanDates = state.koreanDates;
    s.nameColumn = state.nameColumn;
    listing.rows = std::move(*rows);
    return listing;
}

std::vector<RemoteItem> itemsOf(const FileRows &rows)
{
    std::vector<RemoteItem> items;
    items.reserve(rows.size());
    for (size_t row = 0; row < rows.size(); ++row)
        items.push_back({rows.nameBytes(row), (rows.itemData(row) & 0xF0) != 0,
                         rows.text(row, AttributeColumn).startsWith('l')});
    return items;
}

} // namespace

OperationResult LoadListing(RemoteProtocol &protocol, Session &s, const std::optional<ListingCacheTarget> &cache)
{
    if (!s.connected)
        return {OperationResult::Outcome::ConnectionLost};
    const ListingStepScope scope(s, true);
    s.machineListingWanted = true;
    OperationResult result;
    std::optional<FetchedListing> listing = fetchListing(protocol, s, result, true);
    if (!listing)
        return result;

    if (s.debugListing) {
        s.debugListing = false;
        keepDebugCopy(s, programpaths::listingTempFile());
    }
    const bool writeCache = !s.transferRunning;
    handOverListing(s, listing->path, std::move(listing->rows), writeCache, cache);
    if (writeCache)
        AppendLog(LogColor::Status, TextId::TransferCompleted);
    return result;
}

std::optional<FolderListing> ListFolderRows(RemoteProtocol &protocol, Session &s)
{
    if (!s.connected)
        return std::nullopt;
    const ListingStepScope scope(s, false);
    OperationResult result;
    std::optional<FetchedListing> fetched = fetchListing(protocol, s, result, false);
    if (!fetched)
        return std::nullopt;
    FolderListing listing{fetched->path, itemsOf(fetched->rows)};
    // The pane caches the folders of the walk as it takes their rows.
    handOverListing(s, listing.path, std::move(fetched->rows), true, std::nullopt);
    AppendLog(LogColor::Status, TextId::TransferCompleted);
    return listing;
}
