#include "panes/listingrows.h"

#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"

void ShowRemoteListing(CSortListCtrl &list, ListingCache *cache, FileRows entries,
                       const QString &currentPath, bool writeCache)
{
    // The parser's rows are the list's rows: they move in whole, without a copy.
    list.setRows(std::move(entries));
    if (writeCache && cache)
        cache->WriteCachedListing(currentPath);
}
