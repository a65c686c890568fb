#include "calc/calcerror.h"
#include "calc/numtext.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <random>
#include <string>

namespace {

struct TRenderRow {
    const char* Name;
    long double Value;
    std::string Text;
};

void PrintTo(const TRenderRow& row, std::ostream* os) {
    *os << std::hexfloat << row.Value << " as \"" << row.Text << '"';
}

class FloatToStrOf : public testing::TestWithParam<TRenderRow> {};

TEST_P(FloatToStrOf, Renders) {
    EXPECT_EQ(FloatToStr(GetParam().Value), GetParam().Text);
}

const TRenderRow RenderRows[] = {
    {"Integer", 24, "24"},
    {"FifteenDigitsRoundedUp", 8.0L / 3, "2.66666666666667"},
    {"NegativeFraction", -2.0L / 3, "-0.666666666666667"},
    {"OneThird", 1.0L / 3, "0.333333333333333"},
    {"Zero", 0, "0"},
    {"NegativeZero", -0.0L, "0"},
    {"TrailingZerosDropped", 2.5L, "2.5"},
    {"SmallestFixedMagnitude", 0.0001L, "0.0001"},
    {"JustBelowFixedMagnitude", 0.00009999L, "9.999E-5"},
    {"RoundsUpIntoFixedMagnitude", 0.0000999999999999999999L, "0.0001"},
    {"ExponentFormBelowFixed", 0.00001L, "1E-5"},
    {"FifteenIntegerDigits", 999999999999999.0L, "999999999999999"},
    {"FifteenIntegerDigitsRoundedDown", 999999999999999.4L, "999999999999999"},
    {"RoundsUpToSixteenIntegerDigits", 999999999999999.5L, "1E15"},
    {"TenToTheFifteenth", 1e15L, "1E15"},
    {"SixteenDigitsRounded", 1234567890123456.0L, "1.23456789012346E15"},
    {"FractionRoundedAtFifteenthDigit", 123456789012345.6L, "123456789012346"},
    {"FourteenIntegerDigits", 1e14L, "100000000000000"},
    {"ExponentWithFraction", 1.5e15L, "1.5E15"},
    {"LargeExponent", 1e100L, "1E100"},
    {"SmallExponent", 1.5e-10L, "1.5E-10"},
    {"NegativeExponentForm", -1.5e-10L, "-1.5E-10"},
    {"TieRoundsAwayFromZero", 0x1p-22L, "2.38418579101563E-7"},
    {"NegativeTieRoundsAwayFromZero", -0x1p-22L, "-2.38418579101563E-7"},
    {"LargestExtended", std::numeric_limits<long double>::max(), "1.18973149535723E4932"},
    {"SmallestNormal", std::numeric_limits<long double>::min(), "3.36210314311209E-4932"},
    {"SmallestSubnormal", std::numeric_limits<long double>::denorm_min(), "3.64519953188247E-4951"},
    {"SolverFailureValue", 99999999, "99999999"},
    {"Infinity", std::numeric_limits<long double>::infinity(), "INF"},
    {"NegativeInfinity", -std::numeric_limits<long double>::infinity(), "-INF"},
    {"NotANumber", std::numeric_limits<long double>::quiet_NaN(), "NAN"},
};

INSTANTIATE_TEST_SUITE_P(Rows, FloatToStrOf, testing::ValuesIn(RenderRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TParseRow {
    const char* Name;
    std::string Text;
    long double Value;
};

void PrintTo(const TParseRow& row, std::ostream* os) {
    *os << '"' << row.Text << '"';
}

class StrToFloatOf : public testing::TestWithParam<TParseRow> {};

TEST_P(StrToFloatOf, Reads) {
    EXPECT_EQ(StrToFloat(GetParam().Text), GetParam().Value);
}

const TParseRow ParseRows[] = {
    {"Integer", "24", 24},
    {"Blanks", "  24  ", 24},
    {"PlusSign", "+5", 5},
    {"NegativeFraction", "-2.5", -2.5L},
    {"LonePoint", ".", 0},
    {"SignedLonePoint", "-.", 0},
    {"TrailingPoint", "5.", 5},
    {"LeadingPoint", ".5", 0.5L},
    {"ExponentWithoutDigits", "1E", 1},
    {"LowerCaseSignedExponent", "1e+3", 1000},
    {"NegativeExponent", "1E-5", 1e-5L},
    {"LeadingZeros", "00012", 12},
    {"ExponentFormOfRendering", "1.5E15", 1.5e15L},
    {"DecimalFraction", "0.1", 0.1L},
    {"FifteenDigitRendering", "2.66666666666667", 2.66666666666667L},
    {"ManyDigitsRoundedOnce", "0.1000000000000000000000000000001",
     0.1000000000000000000000000000001L},
    {"ThirtyDigitInteger", "123456789012345678901234567890", 123456789012345678901234567890.0L},
    {"LargeExponent", "1E4932", 1e4932L},
    {"SubnormalRange", "1E-4950", 1e-4950L},
    {"BelowHalfSmallestSubnormal", "1E-4952", 0},
    {"ZeroWithHugeExponent", "0E999999999999", 0},
    {"FarBelowRange", "1E-999999999999", 0},
    {"SeventeenDigitFraction", "0.12345678901234567", 0.12345678901234567L},
};

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatOf, testing::ValuesIn(ParseRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TBadRow {
    const char* Name;
    std::string Text;
};

void PrintTo(const TBadRow& row, std::ostream* os) {
    *os << '"' << row.Text << '"';
}

class StrToFloatRejects : public testing::TestWithParam<TBadRow> {};

TEST_P(StrToFloatRejects, WithConversionError) {
    const std::string& text = GetParam().Text;
    try {
        const long double value = StrToFloat(text);
        ADD_FAILURE() << "read " << static_cast<double>(value);
    } catch (const EConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid floating point value");
    }
}

const TBadRow BadRows[] = {
    {"Empty", ""},
    {"OnlyBlanks", "  "},
    {"OnlySign", "+"},
    {"OnlyMinus", "-"},
    {"ExponentWithoutMantissa", "e5"},
    {"TwoPointsInARow", "1..2"},
    {"TwoPoints", "1.2.3"},
    {"SecondExponent", "1e5e"},
    {"TabIsNoBlank", "\t1"},
    {"TrailingTab", "1\t"},
    {"Letter", "x"},
    {"BlankInside", "1 2"},
    {"TwoSigns", "--1"},
    {"TwoExponentSigns", "1e+-2"},
    {"SignAfterBlankOnly", " +"},
    {"Comma", "1,5"},
    {"ByteAbove127", "1\xB2"},
    {"BeyondExtendedRange", "1E5000"},
    {"JustBeyondLargest", "1.18973149535724E4932"},
    {"NegativeBeyondRange", "-1E99999999999999999999"},
};

INSTANTIATE_TEST_SUITE_P(Rows, StrToFloatRejects, testing::ValuesIn(BadRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// Random values against the standard library's correctly rounded conversions,
// which differ from ours only on exact ties. One value in three is drawn from the
// whole range, where the exact arithmetic is slow, so the counts stay modest.
constexpr int RandomCount = 10000;

long double RandomValue(std::mt19937_64& random) {
    std::uniform_int_distribution<int> exponent(-16440, 16380);
    std::uniform_int_distribution<int> nearOne(-60, 60);
    const int e = random() % 3 != 0 ? nearOne(random) : exponent(random);
    const auto mantissa = static_cast<long double>(random() | (std::uint64_t{1} << 63));
    return std::ldexp(mantissa, e - 63) * (random() % 2 == 0 ? 1 : -1);
}

TEST(FloatToStr, AgreesWithCorrectlyRoundedScientificDigits) {
    std::mt19937_64 random(20240601);
    for (int i = 0; i < RandomCount; ++i) {
        const long double value = RandomValue(random);
        char buffer[64];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14)
                .ptr;
        std::string expected(buffer, end); // d.ddddddddddddddde±x
        const std::size_t e = expected.find('e');
        const int exponent = std::stoi(expected.substr(e + 1));
        std::string digits = expected.substr(0, e);
        digits.erase(digits.find('.'), 1);
        const bool negative = digits[0] == '-';
        if (negative)
            digits.erase(0, 1);
        while (digits.size() > 1 && digits.back() == '0')
            digits.pop_back();
        // Our text without sign, point and exponent must give the same digits.
        std::string text = FloatToStr(value);
        ASSERT_EQ(text[0] == '-', negative) << text;
        const std::size_t mark = text.find('E');
        std::string ours = text.substr(negative ? 1 : 0, mark - (negative ? 1 : 0));
        if (mark == std::string::npos)
            ours = text.substr(negative ? 1 : 0);
        if (const std::size_t point = ours.find('.'); point != std::string::npos)
            ours.erase(point, 1);
        ours.erase(0, ours.find_first_not_of('0'));
        while (ours.size() > 1 && ours.back() == '0')
            ours.pop_back();
        ASSERT_EQ(ours, digits) << text << " vs " << expected;
        const bool fixed = exponent >= -4 && exponent <= 14;
        ASSERT_EQ(mark == std::string::npos, fixed) << text;
        if (!fixed) {
            ASSERT_EQ(std::stoi(text.substr(mark + 1)), exponent) << text;
        }
    }
}

TEST(StrToFloat, AgreesWithCorrectlyRoundedParsing) {
    std::mt19937_64 random(20240602);
    for (int i = 0; i < RandomCount; ++i) {
        // Up to 40 digits with a point somewhere and an exponent over the whole range.
        std::string text;
        const int digits = 1 + static_cast<int>(random() % 40);
        const int point = static_cast<int>(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        const int exponent = static_cast<int>(random() % 9900) - 4950;
        text += 'E' + std::to_string(random() % 3 != 0 ? exponent % 40 : exponent);
        // strtold rounds correctly both with glibc and with MinGW-w64, whose
        // from_chars reads long double through double.
        errno = 0;
        char* end = nullptr;
        const long double expected = std::strtold(text.c_str(), &end);
        if (errno == ERANGE)
            continue; // beyond the range, or a subnormal value
        ASSERT_EQ(end, text.c_str() + text.size());
        ASSERT_EQ(StrToFloat(text), expected) << text;
    }
}

TEST(NumberText, RenderingReadsBackToTheSameText) {
    std::mt19937_64 random(20240603);
    for (int i = 0; i < RandomCount; ++i) {
        const std::string text = FloatToStr(RandomValue(random));
        ASSERT_EQ(FloatToStr(StrToFloat(text)), text);
    }
}

} // namespace
