#pragma once

#include "engine/listingparser.h"

#include <vector>

class CSortListCtrl;
class ListingCache;

// The end of a listing on the window thread: the rows replace the list's in one reset and are
// re-sorted; then, unless a queue transfer runs, the listing is written to the cache.
void ShowRemoteListing(CSortListCtrl &list, ListingCache *cache, FileRows entries,
                       const QString &currentPath, bool writeCache);
