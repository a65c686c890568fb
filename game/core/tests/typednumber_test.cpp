#include "game/core/typednumber.h"

#include "casename.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using casename::PrintTo;

struct TTypingCase {
    const char* Name;
    std::vector<std::int32_t> Usable; // the values still on the table
    std::string Keys;                 // digits; "t": the wait runs out; "+": any other key
    std::vector<std::int32_t> Entered;
    bool Waiting; // a digit still waits after the last key
};

class TypedNumber : public testing::TestWithParam<TTypingCase> {};

TEST_P(TypedNumber, EntersWhatTheDigitsMake) {
    const TTypingCase& c = GetParam();
    std::vector<std::int32_t> entered;
    TTypedNumber typed(
        [&c](std::int32_t value) {
            return std::find(c.Usable.begin(), c.Usable.end(), value) != c.Usable.end();
        },
        [&entered](std::int32_t value) { entered.push_back(value); });
    for (char key : c.Keys)
        key >= '0' && key <= '9' ? typed.Digit(key - '0') : typed.EndWait();
    EXPECT_EQ(entered, c.Entered);
    EXPECT_EQ(typed.Waiting(), c.Waiting);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypedNumber,
    testing::Values(
        TTypingCase{"OneDigitAtOnce", {3, 4, 5, 6}, "5", {5}, false},
        TTypingCase{"TwoDigits", {1, 12, 3, 4}, "12", {12}, false},
        TTypingCase{"FirstOfTwoDigitsWaits", {1, 12, 3, 4}, "1", {}, true},
        TTypingCase{"WaitTimesOut", {1, 12, 3, 4}, "1t", {1}, false},
        TTypingCase{"TwoDigitValueUsedUp", {1, 3, 4}, "1", {1}, false},
        TTypingCase{"OneBesideOneTenTwelveThenZero", {1, 10, 12}, "10", {10}, false},
        TTypingCase{"OneBesideOneTenTwelveThenTwo", {1, 10, 12}, "12", {12}, false},
        TTypingCase{"OneBesideOneTenTwelveThenAnotherKey", {1, 10, 12}, "1+", {1}, false},
        TTypingCase{"OneBesideOneTenTwelveThenFive", {1, 10, 12, 5}, "15", {1, 5}, false},
        TTypingCase{"ThirteenWithOnlyOneAndThree", {1, 3}, "13", {1, 3}, false}),
    [](const auto& info) { return info.param.Name; });

} // namespace
