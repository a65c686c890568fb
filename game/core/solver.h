#pragma once

// The solver: tries every template with the four numbers in all 24 orders,
// evaluates each candidate with the calculator and accepts a result text that
// lies in a narrow band around 24. Each template gives at most one answer, the
// first order that works, so the memo stays short. The last-resort shapes are
// tried only when no template finds an answer.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace solver {

// The band test on the calculator's text: 24, 24.0000000000001 and 23.9999999999999
// pass; 24.5, 240, -24 and the failure value do not.
bool IsAccepted(const std::string& resultText);

// The template with its placeholders filled by numbers[order[0]], ... left to right.
std::string Candidate(const char* format, const std::array<std::int32_t, 4>& numbers,
                      const std::array<int, 4>& order);

// The answers found, such as "(1+2+3)*4", in the order of the templates; empty
// when the puzzle has none the templates can write.
std::vector<std::string> Solve(const std::array<std::int32_t, 4>& numbers);

} // namespace solver
