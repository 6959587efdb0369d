#pragma once

#include "session/listingcachetarget.h"
#include "session/operationresult.h"
#include "session/remoteoperation.h"

#include <QByteArray>

#include <optional>
#include <vector>

class RemoteProtocol;
class Session;

// A folder as a walk over the server's tree sees it: the path the server named, and its rows.
struct FolderListing {
    QByteArray path;
    std::vector<RemoteItem> items;
};

// The refresh job's listing step: the working directory, the listing downloaded and parsed, the
// rows handed to the remote pane in one call with the folder they belong to, the cache written
// (to `cache` when it is the listed folder's) and "Transfer completed" logged. Worker thread.
OperationResult LoadListing(RemoteProtocol &protocol, Session &s,
                            const std::optional<ListingCacheTarget> &cache = std::nullopt);

// The same for a job that works on the rows it lists (the tree delete): the cache is written
// in any case, and the rows come back as the server sent them, so that what the user does with
// the pane meanwhile cannot change them. nullopt when a step failed.
[[nodiscard]] std::optional<FolderListing> ListFolderRows(RemoteProtocol &protocol, Session &s);
