#pragma once

#include <QByteArray>
#include <QString>

// Interim listing cache interface (the listing cache proper replaces this file).
bool ReadCachedListing(const QByteArray &path);
void WriteCachedListing();
bool DeleteCachedListings(const QString &text, bool byPrefix);
extern bool skipCacheOnce;
