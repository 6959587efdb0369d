// Interim bodies of engine pieces that other branches deliver; removed when they land.
#include "engine/dircommands.h"
#include "engine/listing.h"
#include "panes/listingcache.h"

int RemoteChangeDirectory(int, const QByteArray &) { return 0; }
int RemotePrintDirectory(int) { return 0; }
std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &) { return std::nullopt; }
void LoadListing() {}
bool ListingCache::ReadCachedListing(const QString &) { return false; }
void ListingCache::WriteCachedListing(const QString &) {}
bool ListingCache::DeleteCachedListings(const QString &, bool) { return false; }
