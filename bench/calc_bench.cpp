#include "calc/untJCalc.h"
#include "game/core/templates.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace {

// Fills the "%d" placeholders of a template left to right.
std::string Fill(std::string_view shape, const std::array<int, 4>& numbers) {
    std::string formula;
    std::size_t next = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape.substr(i, 2) == "%d") {
            formula += std::to_string(numbers[next++]);
            ++i;
        } else {
            formula += shape[i];
        }
    }
    return formula;
}

// What the solver evaluates for a run of dealt puzzles with numbers 1-13: every
// template in every order.
std::vector<std::string> SolverFormulas() {
    std::mt19937 random(24);
    std::uniform_int_distribution<int> number(1, 13);
    std::vector<std::string> formulas;
    for (int puzzle = 0; puzzle < 4; ++puzzle) {
        const std::array<int, 4> dealt = {number(random), number(random), number(random),
                                          number(random)};
        for (const char* shape : solver::Templates)
            for (const auto& order : solver::Orders)
                formulas.push_back(Fill(
                    shape, {dealt[order[0]], dealt[order[1]], dealt[order[2]], dealt[order[3]]}));
    }
    return formulas;
}

// One iteration is one formula, so the time per iteration is the time per formula.
void CalcSolverFormula(benchmark::State& state) {
    const std::vector<std::string> formulas = SolverFormulas();
    std::size_t next = 0;
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(Calc(formulas[next]));
        } catch (const ECalcError&) {
            // the solver counts these as failures; the templates never raise one
        }
        next = next + 1 == formulas.size() ? 0 : next + 1;
    }
}
BENCHMARK(CalcSolverFormula)->Unit(benchmark::kNanosecond);

} // namespace

BENCHMARK_MAIN();
