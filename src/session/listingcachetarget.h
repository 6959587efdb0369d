#pragma once

#include "platform/rowsort.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Where the worker writes the cache of `folder`'s listing, and in which order the pane will show
// its rows (none: as listed).
struct ListingCacheTarget {
    QByteArray folder;
    QString file;
    std::optional<RowOrder> order;
};
