#pragma once

#include "engine/listingparser.h"
#include "platform/rowsort.h"

#include <QByteArray>

#include <vector>

class Session;

// Hands a folder's parsed rows to the remote pane in one call and waits until it holds them, so
// that whoever runs after the listing sees the new rows. With writeCache, the rows are written to
// the folder's cache file first, here on the worker and in the order the pane will show them, so
// that a long listing does not hold up the window. Worker thread.
void handOverListing(const QByteArray &path, FileRows rows, bool writeCache);

// Makes `path` the pane's folder and shows the rows there without writing the cache (a transfer
// passing through the folder). Posted: the transfer reads its own copy of the rows, never the
// pane's. Any thread.
void showListedFolder(Session &s, const QByteArray &path, FileRows rows);

// Puts the rows in the order a list sorted by `order` shows them. Sorting them again from this
// order gives this order. Any thread.
void putInShownOrder(FileRows &rows, const RowOrder &order);
