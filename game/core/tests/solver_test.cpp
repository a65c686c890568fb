#include "game/core/solver.h"
#include "game/core/templates.h"

#include "casename.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

using TAnswers = std::vector<std::string>;

struct TMemoCase {
    const char* Name;
    std::array<std::int32_t, 4> Numbers;
    TAnswers Answers;
};

class SolverMemo : public testing::TestWithParam<TMemoCase> {};

TEST_P(SolverMemo, ListsOneAnswerPerTemplateOrNone) {
    EXPECT_EQ(solver::Solve(GetParam().Numbers), GetParam().Answers);
    // No caching and no state: the second run finds the same.
    EXPECT_EQ(solver::Solve(GetParam().Numbers), GetParam().Answers);
}

INSTANTIATE_TEST_SUITE_P(
    Puzzles, SolverMemo,
    testing::Values(
        TMemoCase{
            "OneTwoThreeFour", {1, 2, 3, 4}, {"1*2*3*4", "2*3*4/1", "(1+2+3)*4", "(1+3)*(2+4)"}},
        TMemoCase{"AllOnes", {1, 1, 1, 1}, {}},
        TMemoCase{"ThreeThreeEightEightOnlyByThirds", {3, 3, 8, 8}, {"8/(3-8/3)"}},
        TMemoCase{"AllSixes", {6, 6, 6, 6}, {"6+6+6+6", "6*6-6-6"}},
        TMemoCase{"LastResortShapeOnlyWhereNothingElseWorks",
                  {1, 3, 4, 8},
                  {"(1+8-3)*4", "(1+3)*4+8", "(4+8)*(3-1)"}},
        TMemoCase{"OneEightTwelveTwelveByTheLastShape", {1, 8, 12, 12}, {"12/(12/8-1)"}}),
    [](const auto& info) { return info.param.Name; });

} // namespace
