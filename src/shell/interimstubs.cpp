// Interim bodies of engine pieces that other branches deliver; removed when they land.
#include "engine/controlconnection.h"
#include "engine/dircommands.h"
#include "engine/listing.h"
#include "engine/login.h"
#include "panes/listingcache.h"

int OpenConnection(const QString &, const char *, const char *) { return -1; }
int SendCommand(int, const QByteArray &) { return 0; }
void ReadPendingReply(int) {}
int CloseSocketAbortive(int) { return -1; }
bool CloseLocalFiles() { return false; }
int Login(const QString &) { return -1; }
int RemoteChangeDirectory(int, const QByteArray &) { return 0; }
int RemotePrintDirectory(int) { return 0; }
std::optional<QByteArray> ParseWorkingDirectory(const QByteArray &) { return std::nullopt; }
void LoadListing() {}
bool ListingCache::ReadCachedListing(const QString &) { return false; }
void ListingCache::WriteCachedListing(const QString &) {}
bool ListingCache::DeleteCachedListings(const QString &, bool) { return false; }
