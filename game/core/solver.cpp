#include "game/core/solver.h"

#include "calc/untJCalc.h"
#include "game/core/templates.h"

#include <exception>
#include <span>

namespace solver {

namespace {

// What a candidate the calculator cannot evaluate counts as; it never passes the band.
const std::string FailureValue = "99999999";

std::string Evaluate(const std::string& candidate) {
    try {
        return Calc(candidate);
    } catch (const std::exception&) {
        return FailureValue;
    }
}

} // namespace

bool IsAccepted(const std::string& resultText) {
    // The third-character test keeps texts like "240" or "2" out; the rest is a
    // plain byte-wise comparison of the texts.
    const bool shaped = resultText.size() == 2 || (resultText.size() > 2 && resultText[2] == '.');
    return shaped && resultText > "23.99999900" && resultText < "24.00000100";
}

std::string Candidate(const char* format, const std::array<std::int32_t, 4>& numbers,
                      const std::array<int, 4>& order) {
    std::string candidate;
    candidate.reserve(24);
    std::size_t next = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd' && next < order.size()) {
            candidate += std::to_string(numbers[order[next++]]);
            ++p;
        } else {
            candidate += *p;
        }
    }
    return candidate;
}

std::vector<std::string> Solve(const std::array<std::int32_t, 4>& numbers) {
    std::vector<std::string> answers;
    const auto tryEach = [&](std::span<const char* const> formats) {
        for (const char* format : formats) {
            for (const auto& order : Orders) {
                const std::string candidate = Candidate(format, numbers, order);
                if (!IsAccepted(Evaluate(candidate)))
                    continue;
                answers.push_back(candidate);
                break;
            }
        }
    };
    tryEach(Templates);
    if (answers.empty())
        tryEach(LastResortTemplates);
    return answers;
}

} // namespace solver
