#include "controls/blockmove.h"

#include <algorithm>

std::vector<int> blockMoveOrder(int count, const std::vector<int> &selected, int target)
{
    std::vector<char> moving(size_t(std::max(count, 0)), 0);
    for (int row : selected)
        if (row >= 0 && row < count)
            moving[size_t(row)] = 1;
    target = std::clamp(target, 0, std::max(count, 0));
    std::vector<int> order;
    order.reserve(moving.size());
    for (int row = 0; row < target; ++row)
        if (!moving[size_t(row)])
            order.push_back(row);
    for (int row = 0; row < count; ++row)
        if (moving[size_t(row)])
            order.push_back(row);
    for (int row = target; row < count; ++row)
        if (!moving[size_t(row)])
            order.push_back(row);
    return order;
}
