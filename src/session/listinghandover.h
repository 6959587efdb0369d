#pragma once

#include "engine/listingparser.h"
#include "platform/rowsort.h"
#include "session/listingcachetarget.h"

#include <QByteArray>

#include <optional>
#include <vector>

class Session;

// Hands a folder's parsed rows to the remote pane in one posted call. With writeCache, the rows
// are cached: by the worker here, in the order the pane will show them, when `cache` is the
// target of this folder (so that a long listing does not hold up the window), else by the pane
// as it takes them. Worker thread.
void handOverListing(Session &s, const QByteArray &path, FileRows rows, bool writeCache,
                     const std::optional<ListingCacheTarget> &cache);

// Makes `path` the pane's folder and shows the rows there without writing the cache (a transfer
// passing through the folder). Posted: the transfer reads its own copy of the rows, never the
// pane's. Any thread.
void showListedFolder(Session &s, const QByteArray &path, FileRows rows);

// Puts the rows in the order a list sorted by `order` shows them. Sorting them again from this
// order gives this order. Any thread.
void putInShownOrder(FileRows &rows, const RowOrder &order);
