#pragma once

#include <algorithm>
#include <vector>

// Patches are mostly written in the order of their addresses, so what is
// sorted by address mostly comes sorted already: it is sorted only when not.
template <typename T, typename Less>
void sortByAddress(std::vector<T> &items, Less less)
{
    if (!std::is_sorted(items.begin(), items.end(), less))
        std::sort(items.begin(), items.end(), less);
}
