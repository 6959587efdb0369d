#pragma once

#include <QString>

class CSortListCtrl;

// Interim listing cache (the listing cache proper replaces this file).
class ListingCache {
public:
    explicit ListingCache(CSortListCtrl *list) : list_(list) {}
    [[nodiscard]] bool ReadCachedListing(const QString &path);
    void WriteCachedListing(const QString &currentPath);
    bool DeleteCachedListings(const QString &text, bool byPrefix);
    int skipCacheOnce = 0;

private:
    CSortListCtrl *list_;
};
