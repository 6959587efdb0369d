// Interim bodies of engine pieces that other branches deliver; removed when they land.
#include "engine/listing.h"
#include "panes/listingcache.h"

void LoadListing() {}
bool ListingCache::ReadCachedListing(const QString &) { return false; }
void ListingCache::WriteCachedListing(const QString &) {}
bool ListingCache::DeleteCachedListings(const QString &, bool) { return false; }
