#pragma once

#include <array>
#include <cstddef>

namespace solver {

// The expression shapes the solver tries, each with the four numbers in all 24
// orders. The last one reaches 12/(12/8-1), which no other shape here can write;
// it stands last so that every other puzzle keeps its answers in the same order.
inline constexpr std::array<const char*, 60> Templates = {
    "%d+%d+%d+%d",     "%d+%d+%d-%d",     "%d+%d-%d-%d",     "%d*%d+%d+%d",     "%d*%d*%d+%d",
    "%d*%d+%d*%d",     "%d*%d*%d*%d",     "%d/%d+%d+%d",     "%d/%d/%d+%d",     "%d/%d+%d/%d",
    "%d*%d*%d/%d",     "%d*%d/%d/%d",     "%d*%d/%d+%d",     "%d/%d+%d*%d",     "%d*%d-%d-%d",
    "%d*%d*%d-%d",     "%d*%d-%d*%d",     "%d*%d-%d/%d",     "%d*%d/%d-%d",     "%d*%d+%d-%d",
    "%d+%d-%d*%d",     "%d+%d-%d/%d",     "(%d+%d+%d)*%d",   "(%d+%d-%d)*%d",   "(%d-%d-%d)*%d",
    "(%d*%d+%d)*%d",   "(%d*%d-%d)*%d",   "(%d-%d*%d)*%d",   "(%d/%d+%d)*%d",   "(%d/%d-%d)*%d",
    "(%d-%d/%d)*%d",   "(%d+%d+%d)/%d",   "(%d+%d-%d)/%d",   "(%d*%d+%d)/%d",   "(%d*%d-%d)/%d",
    "(%d/%d+%d)/%d",   "(%d+%d)*%d+%d",   "(%d-%d)*%d+%d",   "(%d+%d)/%d+%d",   "(%d-%d)/%d+%d",
    "(%d+%d)*%d-%d",   "(%d-%d)*%d-%d",   "(%d+%d)/%d-%d",   "(%d+%d)*%d*%d",   "(%d-%d)*%d*%d",
    "(%d+%d)/%d*%d",   "(%d-%d)/%d*%d",   "(%d+%d)/%d/%d",   "(%d+%d)*(%d+%d)", "(%d+%d)*(%d-%d)",
    "(%d-%d)*(%d-%d)", "(%d+%d)/(%d+%d)", "(%d+%d)/(%d-%d)", "%d/%d+%d-%d",     "%d+%d/(%d+%d)",
    "%d*%d/(%d+%d)",   "%d+%d/(%d-%d)",   "%d*%d/(%d-%d)",   "%d/(%d-%d/%d)",   "%d/(%d/%d-%d)",
};

// The 24 orders of the slots 0-3, in lexicographic order.
inline constexpr std::array<std::array<int, 4>, 24> Orders = {{
    {0, 1, 2, 3}, {0, 1, 3, 2}, {0, 2, 1, 3}, {0, 2, 3, 1}, {0, 3, 1, 2}, {0, 3, 2, 1},
    {1, 0, 2, 3}, {1, 0, 3, 2}, {1, 2, 0, 3}, {1, 2, 3, 0}, {1, 3, 0, 2}, {1, 3, 2, 0},
    {2, 0, 1, 3}, {2, 0, 3, 1}, {2, 1, 0, 3}, {2, 1, 3, 0}, {2, 3, 0, 1}, {2, 3, 1, 0},
    {3, 0, 1, 2}, {3, 0, 2, 1}, {3, 1, 0, 2}, {3, 1, 2, 0}, {3, 2, 0, 1}, {3, 2, 1, 0},
}};

} // namespace solver
