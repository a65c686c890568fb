#include "game/core/rules.h"
#include "game/core/solver.h"
#include "game/core/tests/gamesetup.h"
#include "game/num24.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

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
void EntryPress(benchmark::State& state, const QString& before, TPress press) {
    TNoView view;
    TNumGame game(view);
    game.CreateDataSet();
    TGameState& setup = TGameSetup::State(game);
    setup.Numbers = {1, 2, 3, 4};
    for (auto _ : state) {
        setup.Answer = before;
        game.Press(press);
    }
    if (game.State().Answer == before)
        state.SkipWithError("the press was refused");
}
BENCHMARK_CAPTURE(EntryPress, NumberCompletingTheAnswer, u"(1+2+3)*"_s, TPress{4})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(EntryPress, OperatorLeavingItIncomplete, u"(1+2+3)"_s, TPress{TOperator::Times})
    ->Unit(benchmark::kMicrosecond);

// The same number typed on the keyboard, end to end: the key events reach the
// game window through the memo, which has the focus, then the typed-number rule,
// the entry rules, IsValidExpr, the answer field and the panel's pressed look; the
// event loop runs after the keys, as in the program.
void KeyPress(benchmark::State& state, std::array<std::int32_t, 4> numbers, const QString& before,
              const QString& keys) {
    TNumFrm frm;
    TGameState& setup = TGameSetup::State(frm.Game());
    setup.Numbers = numbers;
    frm.ShowNumbers();
    for (auto _ : state) {
        setup.Answer = before;
        for (QChar key : keys) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + key.digitValue(), Qt::NoModifier,
                            QString(key));
            QApplication::sendEvent(frm.Memo2, &press);
        }
        QCoreApplication::processEvents();
    }
    if (frm.Game().State().Answer != before + keys)
        state.SkipWithError("the keys were refused");
}
BENCHMARK_CAPTURE(KeyPress, OneDigitCompletingTheAnswer, {1, 2, 3, 4}, u"(1+2+3)*"_s, u"4"_s)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(KeyPress, TwoDigitsCompletingTheAnswer, {1, 2, 3, 12}, u"(1+3)/2*"_s, u"12"_s)
    ->Unit(benchmark::kMicrosecond);

} // namespace

// Qt SQL loads its drivers as plugins, and the key path needs the game window:
// both need an application object, which needs no screen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
