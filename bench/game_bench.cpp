#include "game/core/rules.h"
#include "game/core/solver.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using TPuzzle = std::array<std::int32_t, 4>;

std::vector<TPuzzle> AllPuzzles() {
    std::vector<TPuzzle> puzzles;
    for (int a = 1; a <= 13; ++a)
        for (int b = a; b <= 13; ++b)
            for (int c = b; c <= 13; ++c)
                for (int d = c; d <= 13; ++d)
                    puzzles.push_back({a, b, c, d});
    return puzzles;
}

// CPU time of this thread in seconds: other processes on a busy machine do not
// count against a puzzle.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times every one of the 1820 puzzles of 1..13 on its own (the best of three runs)
// and reports the median and the worst over the puzzles.
void SolverEveryPuzzle(benchmark::State& state) {
    const std::vector<TPuzzle> puzzles = AllPuzzles();
    for (auto _ : state) {
        std::vector<double> seconds;
        seconds.reserve(puzzles.size());
        for (const TPuzzle& puzzle : puzzles) {
            double best = 1e9;
            for (int run = 0; run < 3; ++run) {
                const double start = ThreadSeconds();
                benchmark::DoNotOptimize(solver::Solve(puzzle));
                best = std::min(best, ThreadSeconds() - start);
            }
            seconds.push_back(best);
        }
        const auto worst = std::max_element(seconds.begin(), seconds.end());
        const TPuzzle& worstPuzzle = puzzles[worst - seconds.begin()];
        state.counters["worst_ms"] = *worst * 1e3;
        state.SetLabel("worst puzzle " + std::to_string(worstPuzzle[0]) + "," +
                       std::to_string(worstPuzzle[1]) + "," + std::to_string(worstPuzzle[2]) + "," +
                       std::to_string(worstPuzzle[3]));
        std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
        state.counters["median_ms"] = seconds[seconds.size() / 2] * 1e3;
    }
}
BENCHMARK(SolverEveryPuzzle)->Iterations(1)->Unit(benchmark::kMillisecond);

// One puzzle after another through all 1820: the mean time of one solver run.
void SolverCycling(benchmark::State& state) {
    const std::vector<TPuzzle> puzzles = AllPuzzles();
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(solver::Solve(puzzles[next]));
        next = (next + 1) % puzzles.size();
    }
}
BENCHMARK(SolverCycling)->Unit(benchmark::kMillisecond);

class TNoView : public TGameView {
public:
    void ShowMessage(const QString&) override {}
    void ShowNumbers() override {}
    void ShowScore(int) override {}
    void SetAnswerText(const QString&) override {}
    void SetOKEnabled(bool) override {}
    void SetDealPending(bool) override {}
    void SetPickPending(bool) override {}
    void SetMemoLines(const QStringList&) override {}
    void SetRange(std::int32_t) override {}
    void ShowPicker() override {}
};

// One accepted entry press end to end: the entry rules, then IsValidExpr through
// the SQL engine. The answer is put back before each press (a plain assignment).
void EntryPress(benchmark::State& state, const QString& before, const QString& caption) {
    TNoView view;
    TNumGame game(view);
    game.CreateDataSet();
    game.State().Numbers = {1, 2, 3, 4};
    for (auto _ : state) {
        game.State().Answer = before;
        game.Press(caption);
    }
    if (game.State().Answer == before)
        state.SkipWithError("the press was refused");
}
BENCHMARK_CAPTURE(EntryPress, NumberCompletingTheAnswer, u"(1+2+3)*"_s, u"4"_s)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EntryPress, OperatorLeavingItIncomplete, u"(1+2+3)"_s, u"*"_s)
    ->Unit(benchmark::kMicrosecond);

} // namespace

// Qt SQL loads its drivers as plugins, which needs an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
