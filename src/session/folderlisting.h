#pragma once

#include "session/remoteoperation.h"

#include <QByteArray>

#include <optional>
#include <vector>

// A folder as a walk over the server's tree sees it: the path the server named, and its rows.
struct FolderListing {
    QByteArray path;
    std::vector<RemoteItem> items;
};

// The refresh job's listing step for a job that works on the rows it lists: PWD, LIST, the rows
// shown in the remote pane and cached, "Transfer completed" logged, and the rows handed back as
// they came from the server, so that what the user does with the pane meanwhile cannot change
// them. nullopt when a step failed. Worker thread.
[[nodiscard]] std::optional<FolderListing> ListWorkingFolder();
