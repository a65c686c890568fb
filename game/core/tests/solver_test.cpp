#include "game/core/solver.h"
#include "game/core/templates.h"

#include "exact.h"
#include "fakeview.h"

#include "casename.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

using casename::PrintTo;

struct TBandCase {
    const char* Name;
    std::string Text;
    bool Accepted;
};

class BandTest : public testing::TestWithParam<TBandCase> {};

TEST_P(BandTest, AcceptsOnlyTextsNextToTwentyFour) {
    EXPECT_EQ(solver::IsAccepted(GetParam().Text), GetParam().Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BandTest,
    testing::Values(
        TBandCase{"Exact", "24", true}, TBandCase{"JustAbove", "24.0000000000001", true},
        TBandCase{"JustBelow", "23.9999999999999", true},
        TBandCase{"InsideAbove", "24.0000009", true}, TBandCase{"InsideBelow", "23.9999991", true},
        TBandCase{"OutsideAbove", "24.0000011", false},
        TBandCase{"OutsideBelow", "23.9999989", false}, TBandCase{"Half", "24.5", false},
        TBandCase{"BelowHalf", "23.5", false}, TBandCase{"TenTimes", "240", false},
        TBandCase{"Negative", "-24", false}, TBandCase{"Failure", "99999999", false},
        TBandCase{"Two", "2", false}, TBandCase{"Empty", "", false}),
    [](const auto& info) { return info.param.Name; });

TEST(Candidate, FillsPlaceholdersInTheOrderGiven) {
    EXPECT_EQ(solver::Candidate("(%d+%d)*(%d-%d)", {1, 2, 3, 4}, {3, 2, 1, 0}), "(4+3)*(2-1)");
    EXPECT_EQ(solver::Candidate("%d/(%d/%d-%d)", {1, 8, 12, 12}, {2, 3, 1, 0}), "12/(12/8-1)");
}

TEST(Templates, FiftyNineShapesOneLastResortAndAllTwentyFourOrders) {
    EXPECT_STREQ(solver::Templates.back(), "%d/(%d-%d/%d)");
    EXPECT_STREQ(solver::LastResortTemplates.back(), "%d/(%d/%d-%d)");
    std::vector<std::array<int, 4>> orders(solver::Orders.begin(), solver::Orders.end());
    EXPECT_TRUE(std::is_sorted(orders.begin(), orders.end()));
    EXPECT_EQ(std::adjacent_find(orders.begin(), orders.end()), orders.end());
    for (auto order : orders) {
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, (std::array<int, 4>{0, 1, 2, 3}));
    }
}

struct TMemoCase {
    const char* Name;
    std::array<std::int32_t, 4> Numbers;
    QStringList Memo;
};

class SolverMemo : public testing::TestWithParam<TMemoCase> {};

TEST_P(SolverMemo, ListsOneAnswerPerTemplateOrNoSolution) {
    TFakeView view;
    TNumGame game(view);
    game.State().Numbers = GetParam().Numbers;
    const bool found = game.ShowAnswers();
    EXPECT_EQ(view.Memo, GetParam().Memo);
    EXPECT_EQ(found, GetParam().Memo.front() == u"参考答案："_s);
    // No caching and no state: the second run writes the same memo.
    EXPECT_EQ(game.ShowAnswers(), found);
    EXPECT_EQ(view.Calls(u"SetMemoLines"_s).size(), 2);
    EXPECT_EQ(view.Memo, GetParam().Memo);
}

INSTANTIATE_TEST_SUITE_P(
    Puzzles, SolverMemo,
    testing::Values(
        TMemoCase{"OneTwoThreeFour",
                  {1, 2, 3, 4},
                  {u"参考答案："_s, u"1*2*3*4=24"_s, u"2*3*4/1=24"_s, u"(1+2+3)*4=24"_s,
                   u"(1+3)*(2+4)=24"_s}},
        TMemoCase{"AllOnes", {1, 1, 1, 1}, {u"无解！"_s}},
        TMemoCase{
            "ThreeThreeEightEightOnlyByThirds", {3, 3, 8, 8}, {u"参考答案："_s, u"8/(3-8/3)=24"_s}},
        TMemoCase{"AllSixes", {6, 6, 6, 6}, {u"参考答案："_s, u"6+6+6+6=24"_s, u"6*6-6-6=24"_s}},
        TMemoCase{"LastResortShapeOnlyWhereNothingElseWorks",
                  {1, 3, 4, 8},
                  {u"参考答案："_s, u"(1+8-3)*4=24"_s, u"(1+3)*4+8=24"_s, u"(4+8)*(3-1)=24"_s}},
        TMemoCase{"OneEightTwelveTwelveByTheLastShape",
                  {1, 8, 12, 12},
                  {u"参考答案："_s, u"12/(12/8-1)=24"_s}}),
    [](const auto& info) { return info.param.Name; });

TEST(SolverExhaustive, FindsAnAnswerExactlyWhenOneExists) {
    TFakeView view;
    TNumGame game(view);
    int puzzles = 0, solvable = 0, solvableUpToNine = 0, puzzlesUpToNine = 0;
    for (int a = 1; a <= 13; ++a)
        for (int b = a; b <= 13; ++b)
            for (int c = b; c <= 13; ++c)
                for (int d = c; d <= 13; ++d) {
                    game.State().Numbers = {a, b, c, d};
                    const bool exact = !SolutionFor({a, b, c, d}).isEmpty();
                    EXPECT_EQ(game.ShowAnswers(), exact) << a << ' ' << b << ' ' << c << ' ' << d;
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
