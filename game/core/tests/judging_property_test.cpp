// Random key sequences through the whole judging path, checked against an exact
// evaluator of standard arithmetic: whatever operators the player strings
// together, the engine accepts exactly the answers that are arithmetic, and
// "正确!" is said exactly when the four numbers make 24.

#include "game/core/answertext.h"
#include "game/core/rules.h"
#include "game/core/solver.h"

#include "exact.h"
#include "fakeview.h"
#include "gamesetup.h"

#include "messagetexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using namespace expected;

// Standard arithmetic: expression = term {("+"|"-") term}, term = factor
// {("*"|"/") factor}, factor = ("+"|"-") factor | number | "(" expression ")".
class TArithmetic {
public:
    // Whether text parses; its exact value when no division by zero occurs.
    static bool Parse(const QString& text, std::optional<TFraction>& value) {
        TArithmetic parser(text);
        value = parser.Expression();
        return parser.FOk && parser.FAt == text.size();
    }

private:
    explicit TArithmetic(const QString& text) : FText(text) {}

    bool Peek(QChar c) const { return FAt < FText.size() && FText[FAt] == c; }

    std::optional<TFraction> Expression() {
        std::optional<TFraction> value = Term();
        while (FOk && (Peek(u'+') || Peek(u'-'))) {
            const bool plus = FText[FAt++] == u'+';
            const std::optional<TFraction> right = Term();
            if (value && right)
                value = Make(value->N * right->D + (plus ? 1 : -1) * right->N * value->D,
                             value->D * right->D);
            else
                value.reset();
        }
        return value;
    }

    std::optional<TFraction> Term() {
        std::optional<TFraction> value = Factor();
        while (FOk && (Peek(u'*') || Peek(u'/'))) {
            const bool times = FText[FAt++] == u'*';
            const std::optional<TFraction> right = Factor();
            if (!value || !right || (!times && right->N == 0))
                value.reset();
            else if (times)
                value = Make(value->N * right->N, value->D * right->D);
            else
                value = Make(value->N * right->D, value->D * right->N);
        }
        return value;
    }

    std::optional<TFraction> Factor() {
        if (Peek(u'+') || Peek(u'-')) {
            const bool minus = FText[FAt++] == u'-';
            std::optional<TFraction> value = Factor();
            if (value && minus)
                value->N = -value->N;
            return value;
        }
        if (Peek(u'(')) {
            ++FAt;
            std::optional<TFraction> value = Expression();
            if (!Peek(u')'))
                FOk = false;
            ++FAt;
            return value;
        }
        const qsizetype start = FAt;
        while (FAt < FText.size() && answertext::IsDigit(FText[FAt]))
            ++FAt;
        if (FAt == start) {
            FOk = false;
            return std::nullopt;
        }
        return TFraction{FText.sliced(start, FAt - start).toLongLong(), 1};
    }

    const QString& FText;
    qsizetype FAt = 0;
    bool FOk = true;
};

// The keys of a solver answer such as "(1+3)*(2+4)", as the player presses them.
std::vector<QString> KeysOf(const QString& answer) {
    std::vector<QString> keys;
    for (qsizetype i = 0; i < answer.size(); ++i) {
        if (answertext::IsDigit(answer[i]) && i > 0 && answertext::IsDigit(answer[i - 1]))
            keys.back() += answer[i];
        else
            keys.push_back(answer[i] == u'*' ? u"X"_s : QString(answer[i]));
    }
    return keys;
}

TEST(JudgingProperty, VerdictsFollowTheArithmeticOfEveryKeySequence) {
    const QStringList operators = {u"+"_s, u"-"_s, u"X"_s, u"/"_s, u"("_s, u")"_s};
    // Runs of these are what could join into something that is no arithmetic.
    const QStringList joiners = {u"/"_s, u"X"_s, u"-"_s, u"+"_s};
    TFakeView view;
    TNumGame game(view);
    game.CreateDataSet();
    game.Random().seed(20261208);
    std::mt19937 keys(24);
    const auto chance = [&keys](double p) { return std::bernoulli_distribution(p)(keys); };
    const auto anyOf = [&keys](const auto& list) {
        return list[std::uniform_int_distribution<std::size_t>(0, list.size() - 1)(keys)];
    };

    // Puzzles with their reference answers, for the sequences that follow one.
    std::vector<std::pair<std::array<std::int32_t, 4>, std::vector<std::string>>> solved;
    int accepted = 0, judged = 0, right = 0;
    for (int sequence = 0; sequence < 20000; ++sequence) {
        if (chance(0.1))
            game.SwitchRange();
        game.Deal();
        // Some sequences start from a reference answer, so that right verdicts are
        // common; signs and operator runs are then mixed into them.
        std::vector<QString> planned;
        if (chance(0.1)) {
            std::array<std::int32_t, 4>& dealt = TGameSetup::State(game).Numbers;
            if (solved.size() < 100) {
                const std::vector<std::string> answers = solver::Solve(dealt);
                if (!answers.empty())
                    solved.emplace_back(dealt, answers);
            } else {
                dealt = anyOf(solved).first;
            }
            for (const auto& [puzzle, answers] : solved) {
                if (puzzle == dealt) {
                    planned = KeysOf(QString::fromStdString(anyOf(answers)));
                    break;
                }
            }
        }
        const auto numbers = game.State().Numbers;
        std::size_t next = 0;
        QString last;
        const int presses = planned.empty() ? std::uniform_int_distribution(1, 14)(keys) : 64;
        for (int press = 0; press < presses && (planned.empty() || next < planned.size());
             ++press) {
            QString key;
            if (!planned.empty())
                key = chance(0.15) ? anyOf(joiners) : planned[next++];
            else if (operators.contains(last) && chance(0.5))
                key = anyOf(joiners);
            else if (chance(0.45))
                key = QString::number(anyOf(numbers));
            else if (chance(0.15))
                key = u"←"_s;
            else
                key = anyOf(operators);
            if (key == u"←"_s)
                game.TakeBack();
            else
                game.Press(PressOf(key));
            last = key;

            const QString& answer = game.State().Answer;
            std::optional<TFraction> value;
            const bool arithmetic = TArithmetic::Parse(answer, value);
            ASSERT_EQ(view.OKEnabled, arithmetic) << answer.toStdString();
            accepted += arithmetic;
        }

        const QString answer = game.State().Answer;
        if (!view.OKEnabled || answertext::CountWholeNumbers(answer) != 4)
            continue;
        view.Messages.clear();
        game.Submit();
        ++judged;
        std::optional<TFraction> value;
        TArithmetic::Parse(answer, value);
        const bool makes24 = value && value->N == 24 * value->D;
        ASSERT_EQ(view.Messages, QStringList{makes24 ? AnswerRight : AnswerWrong})
            << answer.toStdString();
        if (makes24) {
            ++right;
            std::vector<int> used;
            for (const QString& key : KeysOf(answer)) {
                if (answertext::IsDigit(key.front()))
                    used.push_back(key.toInt());
            }
            std::vector<int> puzzle(numbers.begin(), numbers.end());
            std::sort(used.begin(), used.end());
            std::sort(puzzle.begin(), puzzle.end());
            EXPECT_EQ(used, puzzle) << answer.toStdString();
        }
    }
    // The sequences reach every kind of outcome.
    EXPECT_GT(accepted, 10000);
    EXPECT_GT(judged, 500);
    EXPECT_GT(right, 200);
    std::printf("%d answers accepted, %d judged, %d right\n", accepted, judged, right);
}

TEST(SolverExhaustive, FindsAnAnswerExactlyWhenOneExists) {
    int puzzles = 0, solvable = 0, solvableUpToNine = 0, puzzlesUpToNine = 0;
    for (int a = 1; a <= 13; ++a)
        for (int b = a; b <= 13; ++b)
            for (int c = b; c <= 13; ++c)
                for (int d = c; d <= 13; ++d) {
                    const bool exact = !SolutionFor({a, b, c, d}).isEmpty();
                    EXPECT_EQ(!solver::Solve({a, b, c, d}).empty(), exact)
                        << a << ' ' << b << ' ' << c << ' ' << d;
                    ++puzzles;
                    solvable += exact;
                    if (d <= 9) {
                        ++puzzlesUpToNine;
                        solvableUpToNine += exact;
                    }
                }
    EXPECT_EQ(puzzles, 1820);
    EXPECT_EQ(solvable, 1362);
    EXPECT_EQ(puzzlesUpToNine, 495);
    EXPECT_EQ(solvableUpToNine, 404);
}

} // namespace
