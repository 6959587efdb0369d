#pragma once

#include "platform/filerows.h"

#include <QtGlobal>

#include <atomic>
#include <optional>
#include <vector>

// How a column sorts.
enum SortKind : int {
    SortNone = 0,
    SortNumber = 1,   // digits with "," between groups; the commas are ignored
    SortText = 2,     // text ignoring case
    SortDateTime = 3, // date and time as the list shows them
};

// What a list sorts by.
struct RowOrder {
    int column = 0;
    int kind = SortNone;
    bool ascending = true;
    bool operator==(const RowOrder &) const = default;
};

// The order of a file list sorted by one column: folders above files in both directions, then the
// column's value, then the row's current display position (position[i] for rows[i]), so that
// equal rows keep their order. Returns the index into rows of each display row. The sort keys the
// rows did not hold yet are read and kept in them. Any thread: the worker orders a listing the
// way the list will show it, the list orders itself.
[[nodiscard]] std::vector<quint32> sortedRowOrder(FileRows &rows, int column, int kind,
                                                  bool ascending, const std::vector<quint32> &position);

// The same order without writing anything into the rows, so that a thread of its own may sort
// while the list goes on showing them. Gives up, returning nullopt, soon after `cancel` is set.
[[nodiscard]] std::optional<std::vector<quint32>> sortedRowOrder(const FileRows &rows, const RowOrder &by,
                                                                 const std::vector<quint32> &position,
                                                                 const std::atomic<bool> &cancel);
