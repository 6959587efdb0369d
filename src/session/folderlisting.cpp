#include "session/folderlisting.h"

#include "engine/dircommands.h"
#include "engine/listingloader.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "session/listinghandover.h"
#include "session/sessionstate.h"
#include "session/viewposts.h"

#include <QFile>

namespace
{

constexpr int transferCompletedId = 149;

// The listing file goes and the listing flag comes down however the step ends.
class ListingFlagScope
{
public:
    ListingFlagScope() = default;
    ~ListingFlagScope()
    {
        QFile::remove(programpaths::listingTempFile());
        session().listingRunning = false;
    }
    ListingFlagScope(const ListingFlagScope &) = delete;
    ListingFlagScope &operator=(const ListingFlagScope &) = delete;
};

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

std::optional<FolderListing> ListWorkingFolder()
{
    SessionState &s = session();
    if (!s.connected)
        return std::nullopt;
    const ListingFlagScope scope;

    QByteArray reply;
    if (RemotePrintDirectory(s, &reply) != 2)
        return std::nullopt;
    FolderListing listing;
    listing.path = TrimListingPath(ParseWorkingDirectory(reply).value_or("unknown"));
    viewposts::remote([path = listing.path](RemoteListView &view) {
        view.setRemotePath(path);
        view.clearRemoteList();
    });
    if (DownloadListing(s, "LIST") != 2)
        return std::nullopt;

    ListingState state(s.serverKind);
    std::optional<FileRows> rows = ReadListingFile(programpaths::listingTempFile(), state);
    if (!rows)
        return std::nullopt;
    s.listingRunning = true;
    s.serverKind = state.serverKind;
    s.koreanDates = state.koreanDates;
    s.nameColumn = state.nameColumn;
    listing.items = itemsOf(*rows);

    // The pane holds the rows before the walk sends its next command.
    handOverListing(listing.path, std::move(*rows), true);
    AppendLogId(LogColor::Status, transferCompletedId);
    return listing;
}
