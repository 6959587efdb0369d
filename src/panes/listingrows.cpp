#include "panes/listingrows.h"

#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"
#include "panes/listingcache.h"

namespace {
constexpr int sizeColumn = 1;
constexpr int dateColumn = 2;
}

SortListRow rowFromEntry(FileEntry &&entry)
{
    SortListRow row;
    row.texts = {std::move(entry.name), std::move(entry.size), std::move(entry.dateTime),
                 std::move(entry.attribute)};
    row.rawName = std::move(entry.rawName);
    row.itemData = entry.itemData;
    row.icon = entry.icon;
    row.setDateKey(dateColumn, entry.dateKey);
    row.setNumberKey(sizeColumn, sortNumberValue(row.text(sizeColumn)));
    return row;
}

std::vector<SortListRow> rowsFromListing(std::vector<FileEntry> &&entries)
{
    std::vector<SortListRow> rows;
    rows.reserve(entries.size());
    for (FileEntry &entry : entries)
        rows.push_back(rowFromEntry(std::move(entry)));
    entries.clear();
    return rows;
}

void ShowRemoteListing(CSortListCtrl &list, ListingCache *cache, std::vector<FileEntry> entries,
                       const QString &currentPath, bool writeCache)
{
    list.setRows(rowsFromListing(std::move(entries)));
    if (writeCache && cache)
        cache->WriteCachedListing(currentPath);
}
