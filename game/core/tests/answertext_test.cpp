#include "game/core/answertext.h"

#include "casename.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

using casename::PrintTo;

struct TCountCase {
    const char* Name;
    QString Answer;
    QString Number;
    int WholeNumbers;  // CountWholeNumbers(Answer)
    int EqualToNumber; // CountNumber(Answer, Number)
};

class CountNumbers : public testing::TestWithParam<TCountCase> {};

TEST_P(CountNumbers, CountsWholeRunsOfDigits) {
    const TCountCase& c = GetParam();
    EXPECT_EQ(answertext::CountWholeNumbers(c.Answer), c.WholeNumbers);
    EXPECT_EQ(answertext::CountNumber(c.Answer, c.Number), c.EqualToNumber);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CountNumbers,
    testing::Values(TCountCase{"Empty", u""_s, u"1"_s, 0, 0},
                    TCountCase{"OperatorsOnly", u"()+-*/"_s, u"1"_s, 0, 0},
                    TCountCase{"DigitInsideTenIsNotOne", u"10+"_s, u"1"_s, 1, 0},
                    TCountCase{"ThreeOnceBesideThirteen", u"13+3*"_s, u"3"_s, 2, 1},
                    TCountCase{"ThirteenTwice", u"13+13-"_s, u"13"_s, 2, 2},
                    TCountCase{"LeadingNumber", u"1+2+3"_s, u"1"_s, 3, 1},
                    TCountCase{"TrailingNumber", u"(1+2)*(3+4"_s, u"4"_s, 4, 1},
                    TCountCase{"FiveNumbers", u"1+1+10+13+2"_s, u"1"_s, 5, 2}),
    [](const auto& info) { return info.param.Name; });

} // namespace
