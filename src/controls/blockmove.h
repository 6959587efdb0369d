#pragma once

#include <vector>

// Moving a selection of rows as one block. The selected rows (ascending indexes) end up next to
// each other in their previous order, standing before the row that was at `target` (at the end
// when `target` is the row count or more); the other rows keep their order. Returns the new order
// as the old index of each new position. Indexes outside 0..count-1 are ignored.
[[nodiscard]] std::vector<int> blockMoveOrder(int count, const std::vector<int> &selected, int target);
