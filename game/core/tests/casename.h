#pragma once

#include <ostream>

// Table rows print as their names in test listings and failure messages, instead
// of as raw bytes. Each test file brings this in with `using casename::PrintTo;`
// inside the namespace of its rows.
namespace casename {

template <class TRow>
requires requires(const TRow& row) {
    row.Name;
}
void PrintTo(const TRow& row, std::ostream* os) {
    *os << row.Name;
}

} // namespace casename
