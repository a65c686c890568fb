#pragma once

#include <array>
#include <cstddef>

namespace solver {

// The expression shapes the solver tries, each with the four numbers in all 24
// orders.
inline constexpr std::array<const char*, 59> Templates = {
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
    "%d*%d/(%d+%d)",   "%d+%d/(%d-%d)",   "%d*%d/(%d-%d)",   "%d/(%d-%d/%d)",
};

// Tried only when no shape above finds an answer: it reaches 12/(12/8-1), which
// none of them can write, and would otherwise add lines to the memos of puzzles
// that already have answers.
inline constexpr std::array<const char*, 1> LastResortTemplates = {"%d/(%d/%d-%d)"};

// The 24 orders of the slots 0-3, in lexicographic order.
inline constexpr std::array<std::array<int, 4>, 24> Orders = {{
    {0, 1, 2, 3}, {0, 1, 3, 2}, {0, 2, 1, 3}, {0, 2, 3, 1}, {0, 3, 1, 2}, {0, 3, 2, 1},
    {1, 0, 2, 3}, {1, 0, 3, 2}, {1, 2, 0, 3}, {1, 2, 3, 0}, {1, 3, 0, 2}, {1, 3, 2, 0},
    {2, 0, 1, 3}, {2, 0, 3, 1}, {2, 1, 0, 3}, {2, 1, 3, 0}, {2, 3, 0, 1}, {2, 3, 1, 0},
    {3, 0, 1, 2}, {3, 0, 2, 1}, {3, 1, 0, 2}, {3, 1, 2, 0}, {3, 2, 0, 1}, {3, 2, 1, 0},
}};

} // namespace solver
