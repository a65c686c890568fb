#include "calc/untJCalc.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

namespace {

// Row names become part of the test names, so they may hold letters, digits and _.

struct TValueRow {
    const char* Name;
    std::string Formula;
    std::string Result;
};

void PrintTo(const TValueRow& row, std::ostream* os) {
    *os << '"' << row.Formula << '"';
}

class CalcValue : public testing::TestWithParam<TValueRow> {};

TEST_P(CalcValue, GivesResult) {
    EXPECT_EQ(Calc(GetParam().Formula), GetParam().Result);
}

const TValueRow ValueRows[] = {
    {"EmptyFormulaGivesEmptyText", "", ""},
    {"LoneOperandComesBackAsWritten", "24", "24"},
    {"LeadingZeroKeptWithoutOperator", "024", "024"},
    {"TrailingZeroKeptWithoutOperator", "24.0", "24.0"},
    {"BracketPairAddsNothing", "(24)", "24"},
    {"EmptyBracketPairPushesNothing", "()", ""},
    {"LetterIsNotConvertedWithoutOperator", "x", "x"},
    {"LastOperandWinsWithoutOperator", "1 2", "2"},
    {"LetterXIsAnOperandNotTimes", "3x4", "4"},
    {"ComputedValueIsRerendered", "24+0", "24"},
    {"Multiplication", "6*4", "24"},
    {"TwoBracketGroups", "(3+3)*(2+2)", "24"},
    {"FifteenSignificantDigits", "8/3", "2.66666666666667"},
    {"IntermediateResultIsRoundedText", "8/3*3", "8.00000000000001"},
    {"NestedIntermediateRounding", "8/(3-8/3)", "24.0000000000002"},
    {"OneThird", "1/3", "0.333333333333333"},
    {"TrailingZerosDropped", "10/4", "2.5"},
    {"ExponentFormBelowOneTenThousandth", "0.1*0.0001", "1E-5"},
    {"ExponentFormFromSixteenIntegerDigits", "100000*10000000000", "1E15"},
    {"TimesBindsTighterThanPlus", "2+3*4", "14"},
    {"BracketsGroupFirst", "(2+3)*4", "20"},
    {"MinusGroupsFromTheLeft", "8-3-2", "3"},
    {"DivideGroupsFromTheLeft", "16/4/2", "2"},
    {"ArithmeticBindsTighterThanComparison", "1+1=2", "1"},
    {"ComparisonsGroupFromTheLeft", "3>2>1", "0"},
    {"ComparisonThenAndThenGuard", "1>0&2>1:5", "5"},
    {"PlusPassesLoneOperand", "+5", "5"},
    {"PlusWithoutRightOperand", "1+", "1"},
    {"PlusWithoutOperandsGivesZero", "+", "0"},
    {"MinusWithoutLeftNegates", "-3", "-3"},
    {"BlankAfterMinusDropped", "- 3", "-3"},
    {"NegationThenAddition", "-3+5", "2"},
    {"NegatedBracket", "-(2+3)", "-5"},
    {"NegativeFraction", "-2/3", "-0.666666666666667"},
    {"MinusInBracketTakesOperandBeforeIt", "1+(-3)", "-2"},
    {"DoubleMinusNegatesThenSubtracts", "3--3", "-6"},
    {"DivisionByWrittenZero", "1/0", "99999999"},
    {"DivisionByComputedZeroRendersAsZero", "5/(3-3)", "99999999"},
    {"DivisionByWrittenZeroIgnoresLeft", "x/0", "99999999"},
    {"DivisionByZeroValueIsOrdinaryNumber", "1/0+1", "100000000"},
    {"Greater", "2>1", "1"},
    {"EqualComparesValues", "1=1.0", "1"},
    {"NotEqual", "2<>2", "0"},
    {"AndSkipsRightWhenLeftIsZero", "0&x", "0"},
    {"AndOfNonzeros", "1&2", "1"},
    {"GuardReturnsRightTextUnconverted", "2:x", "x"},
    {"GuardWithZeroGivesZero", "0:7", "0"},
    {"MaxOfThree", "max(3,7,5)", "7"},
    {"MaxUpperCaseWithBlank", "MAX(3, 7)", "7"},
    {"MaxArgumentsAreFormulas", "max(1+2,3*4)", "12"},
    {"MaxNested", "max(max(1,5),3)", "5"},
    {"MaxOneArgument", "max(2)*2", "4"},
    {"MaxRerendersArgument", "max(07)", "7"},
    {"EmptyMaxTakesOperandBeforeCall", "5max()", "5"},
    {"HashEndsFormula", "1#2", "1"},
    {"HashEndsFormulaAfterReducing", "1+2#3", "3"},
    // Beyond the table of the design: what the rules imply elsewhere.
    {"MaxOfTwentyArguments", "max(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20)", "20"},
    {"MaxInDoubleUnderflowsToZero", "max(0." + std::string(400, '0') + "1)", "0"},
    {"MaxOfNegativeFirstArgument", "max(-3,2)", "2"},
    {"GreaterOrEqualToken", "2>=2", "1"},
    {"LessOrEqualToken", "3<=2", "0"},
    {"ExponentTextIsReadBack", "100000*10000000000+1", "1E15"},
    {"SmallExponentTextIsReadBack", "0.1*0.0001*100000", "1"},
    {"NegativeZeroRendersAsZero", "-0", "0"},
    {"LonePointReadsZero", "1+.", "1"},
    {"ZeroTimesNegativeRendersAsZero", "0*(0-1)", "0"},
    {"GuardOfComparison", "3>2:7", "7"},
    {"ByteAbove127IsOperand", "\xE4\xB8\x80", "\x80"},
    {"ControlCharacterIsBlank", "1+\t2", "3"},
    {"EmbeddedNulIsBlank", std::string("2\0*3", 4), "6"},
    {"ByteAbove127NotLowered", "\xC4", "\xC4"},
    {"AsciiLetterLowered", "+X", "x"},
    {"GluedPrefixOfMaxIsOperand", "ax", "ax"},
    {"SolverShapeWithFifthTemplate", "13*12*11+10", "1726"},
    {"SolverShapeLastTemplate", "12/(12/8-1)", "24"},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, CalcValue, testing::ValuesIn(ValueRows),
                         [](const auto& info) { return std::string(info.param.Name); });

enum class TError { Convert, ZeroDivide, InvalidOp, Overflow, Formula };

struct TErrorRow {
    const char* Name;
    std::string Formula;
    TError Error;
    std::string Message;
};

void PrintTo(const TErrorRow& row, std::ostream* os) {
    *os << '"' << row.Formula << '"';
}

bool IsKind(const ECalcError& error, TError kind) {
    switch (kind) {
    case TError::Convert:
        return dynamic_cast<const EConvertError*>(&error) != nullptr;
    case TError::ZeroDivide:
        return dynamic_cast<const EZeroDivide*>(&error) != nullptr;
    case TError::InvalidOp:
        return dynamic_cast<const EInvalidOp*>(&error) != nullptr;
    case TError::Overflow:
        return dynamic_cast<const EOverflow*>(&error) != nullptr;
    case TError::Formula:
        return dynamic_cast<const EFormulaError*>(&error) != nullptr;
    }
    return false;
}

class CalcError : public testing::TestWithParam<TErrorRow> {};

TEST_P(CalcError, Raises) {
    const TErrorRow& row = GetParam();
    try {
        const std::string result = Calc(row.Formula);
        ADD_FAILURE() << "gave " << result;
    } catch (const ECalcError& error) {
        EXPECT_TRUE(IsKind(error, row.Error)) << typeid(error).name();
        EXPECT_EQ(std::string(error.what()), row.Message);
    }
}

const std::string NoValue = "' is not a valid floating point value";
// Formulas cannot write exponents (E is an operand), so long literals stand in.
const std::string Huge = "1" + std::string(2500, '0');
const std::string Tiny = "0." + std::string(2500, '0') + "1";
const char* Unclosed = "Missing closing bracket in formula";
const char* Unopened = "Closing bracket without an opening one in formula";
const char* StrayComma = "Comma outside max( in formula";

const TErrorRow ErrorRows[] = {
    {"TimesMeetsEmptyOperand", "2*(-3)", TError::Convert, "'" + NoValue},
    {"ZeroNotWrittenZeroIsDivided", "1/0.0", TError::ZeroDivide, "Floating point division by zero"},
    {"ZeroByZeroIsInvalid", "0/00", TError::InvalidOp, "Invalid floating point operation"},
    {"LonePointDivisorIsZero", "1/.", TError::ZeroDivide, "Floating point division by zero"},
    {"AndConvertsRightWhenLeftIsNonzero", "1&x", TError::Convert, "'x" + NoValue},
    {"EmptyMaxHasNoOperand", "max()", TError::Convert, "'" + NoValue},
    {"DigitsAndPointsAreOneToken", "1..2+1", TError::Convert, "'1..2" + NoValue},
    {"LeftConvertedBeforeRight", "a+b", TError::Convert, "'a" + NoValue},
    {"MinusNegatesEmptyRight", "-", TError::Convert, "'" + NoValue},
    {"ComparisonConvertsText", "x>1", TError::Convert, "'x" + NoValue},
    {"GluedMaxPrefixFailsConversion", "ma+1", TError::Convert, "'ma" + NoValue},
    {"OverflowOfProduct", Huge + "*" + Huge, TError::Overflow, "Floating point overflow"},
    {"OverflowOfQuotient", Huge + "/" + Tiny, TError::Overflow, "Floating point overflow"},
    {"MaxArgumentBeyondDouble", "max(" + Huge + ")", TError::Overflow, "Floating point overflow"},
    {"OperandBeyondExtendedRange", Huge + Huge + "+0", TError::Convert,
     "'" + Huge + Huge + NoValue},
    {"BlankSplitsGreaterEqual", "2> =1", TError::Convert, "'" + NoValue},
    {"NegativeSecondMaxArgumentTakesFirstAsLeft", "max(-3,-2)", TError::Convert, "'" + NoValue},
    // Formulas whose brackets or commas do not pair up.
    {"UnclosedBracket", "(1+2", TError::Formula, Unclosed},
    {"UnclosedMaxCall", "max(1,2", TError::Formula, StrayComma},
    {"UnclosedMaxCallOneArgument", "max(1", TError::Formula, Unclosed},
    {"ClosingBracketWithoutOpening", "1+2)", TError::Formula, Unopened},
    {"ClosingThenOpeningBracket", "1)(2", TError::Formula, Unopened},
    {"CommaWithoutMax", "1,2", TError::Formula, StrayComma},
    {"CommaListInPlainBrackets", "(1,2)", TError::Formula, StrayComma},
    {"CommaListPopsBottomMarker", "1,2)", TError::Formula, StrayComma},
    {"HashInsideBrackets", "(1#2)", TError::Formula, Unclosed},
    {"MaxOfTwentyOneArguments", "max(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21)",
     TError::Formula, "max( takes at most 20 arguments"},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, CalcError, testing::ValuesIn(ErrorRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TPairRow {
    const char* Name;
    std::string Formula;
    std::string Same;
};

void PrintTo(const TPairRow& row, std::ostream* os) {
    *os << '"' << row.Formula << "\" vs \"" << row.Same << '"';
}

class CalcPair : public testing::TestWithParam<TPairRow> {};

TEST_P(CalcPair, AgreesWith) {
    EXPECT_EQ(Calc(GetParam().Formula), Calc(GetParam().Same));
}

const TPairRow PairRows[] = {
    {"UpperCaseReadsAsLowerCase", "MAX(3, 7)", "max(3,7)"},
    {"BlanksAreDropped", " 1 +\t2 * 3 ", "1+2*3"},
    {"HashEndsTheFormula", "1+2#3", "1+2"},
    {"TextAfterHashIsNotRead", "1#)", "1"},
    {"DivisionByZeroValueIsANumber", "1/0+1", "99999999+1"},
    {"IntermediateRoundingMatchesWrittenSteps", "8/3*3", "2.66666666666667*3"},
    {"MinusWithoutLeftNegates", "-(2+3)", "0-(2+3)"},
    {"OperandBeforeBracketServesInside", "1+(-3)", "1-3"},
    {"MaxOfOneReRenders", "max(07)", "07+0"},
    {"ComparisonResultIsANumber", "(2>1)+1", "1+1"},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, CalcPair, testing::ValuesIn(PairRows),
                         [](const auto& info) { return std::string(info.param.Name); });

// The tokenizer: what each call returns for a formula, "|" between tokens.
struct TTokenRow {
    const char* Name;
    std::string Formula;
    std::string Tokens;
};

void PrintTo(const TTokenRow& row, std::ostream* os) {
    *os << '"' << row.Formula << '"';
}

class NextToken : public testing::TestWithParam<TTokenRow> {};

TEST_P(NextToken, CutsFormula) {
    TJExpr expr(GetParam().Formula);
    std::string tokens;
    for (std::string token = expr.NextToken(); !expr.AtEnd; token = expr.NextToken())
        tokens += (tokens.empty() ? "" : "|") + token;
    EXPECT_EQ(tokens, GetParam().Tokens);
    EXPECT_EQ(expr.Position, expr.ExprLength + 1);
}

const TTokenRow TokenRows[] = {
    {"EmptyFormulaIsOnlyTheEndMarker", "", "#"},
    {"OnlyBlanksJoinTheEndMarker", "   ", "#"},
    {"DigitsAndPointsRun", "1..2+3.5", "1..2|+|3.5|#"},
    {"MinusIsAlwaysItsOwnToken", "3--3", "3|-|-|3|#"},
    {"TwoCharacterComparisons", "1>=2<=3<>4", "1|>=|2|<=|3|<>|4|#"},
    {"BlankSplitsComparison", "> =", ">|=|#"},
    {"EqualsTwiceIsTwoTokens", "==", "=|=|#"},
    {"GreaterLessIsTwoTokens", "><", ">|<|#"},
    {"MaxCallIsOneToken", "max(1)", "max(|1|)|#"},
    {"UpperCaseMaxLowered", "MAX(", "max(|#"},
    {"RunsInsideMaxAreGlued", "ax(x(m", "ax(|x(|m|#"},
    {"BlankEndsNumber", "12 34", "12|34|#"},
    {"BlankEndsMaxPrefix", "ma x(", "ma|x(|#"},
    {"OtherCharactersStandAlone", "$xy", "$|x|y|#"},
    {"BytesAbove127StandAlone", "\x80\xFF", "\x80|\xFF|#"},
    {"BlankAfterTokenIsDropped", "1 +2", "1|+|2|#"},
    {"HashInsideIsAToken", "1#2", "1|#|2|#"},
    {"DigitDoesNotJoinLetter", "x1", "x|1|#"},
};

INSTANTIATE_TEST_SUITE_P(Rows, NextToken, testing::ValuesIn(TokenRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TClassRow {
    const char* Name;
    std::string Token;
    int Class;
};

void PrintTo(const TClassRow& row, std::ostream* os) {
    *os << '"' << row.Token << '"';
}

class TokenClassOf : public testing::TestWithParam<TClassRow> {};

TEST_P(TokenClassOf, Gives) {
    EXPECT_EQ(TokenClass(GetParam().Token), GetParam().Class);
}

const TClassRow ClassRows[] = {
    {"Plus", "+", 1},
    {"Minus", "-", 2},
    {"Times", "*", 3},
    {"Divide", "/", 4},
    {"Open", "(", 5},
    {"Close", ")", 6},
    {"End", "#", 7},
    {"Greater", ">", 8},
    {"Less", "<", 9},
    {"GreaterEqual", ">=", 10},
    {"LessEqual", "<=", 11},
    {"Equal", "=", 12},
    {"NotEqual", "<>", 13},
    {"And", "&", 14},
    {"Guard", ":", 15},
    {"Comma", ",", 16},
    {"MaxCall", "max(", 17},
    {"Empty", "", -1},
    {"Number", "24", -1},
    {"MaxWithoutBracket", "max", -1},
    {"UpperCaseMax", "MAX(", -1},
    {"EqualGreater", "=>", -1},
    {"DoubleEqual", "==", -1},
    {"Letter", "x", -1},
};

INSTANTIATE_TEST_SUITE_P(Rows, TokenClassOf, testing::ValuesIn(ClassRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TPrecedenceRow {
    const char* Name;
    std::string Top;
    std::string Incoming;
    int Result;
};

void PrintTo(const TPrecedenceRow& row, std::ostream* os) {
    *os << '"' << row.Top << "\" on top, \"" << row.Incoming << "\" incoming";
}

class PrecedenceOf : public testing::TestWithParam<TPrecedenceRow> {};

TEST_P(PrecedenceOf, Gives) {
    EXPECT_EQ(Precedence(GetParam().Top, GetParam().Incoming), GetParam().Result);
}

const TPrecedenceRow PrecedenceRows[] = {
    {"PlusPushesTimes", "+", "*", -1},       {"TimesReducesBeforePlus", "*", "+", 1},
    {"PlusReducesBeforePlus", "+", "+", 1},  {"OpenMatchesClose", "(", ")", 0},
    {"CloseMatchesOpen", ")", "(", 0},       {"CloseMatchesMax", ")", "max(", 0},
    {"CommaMatchesClose", ",", ")", 0},      {"MaxMatchesClose", "max(", ")", 0},
    {"OpenReducesAtEnd", "(", "#", 1},       {"EndPushesEverything", "#", "#", -1},
    {"EndPushesClose", "#", ")", -1},        {"ComparisonPushesPlus", ">", "+", -1},
    {"AndPushesComparison", "&", ">", -1},   {"AndReducesAnd", "&", "&", 1},
    {"GuardPushesAnd", ":", "&", -1},        {"CommaPushesPlus", ",", "+", -1},
    {"CommaPushesComma", ",", ",", -1},      {"PlusReducesBeforeComma", "+", ",", 1},
    {"OperandOnTopReduces", "x", "+", 1},    {"EmptyTopReduces", "", "(", 1},
    {"OperandIncomingReduces", "#", "7", 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, PrecedenceOf, testing::ValuesIn(PrecedenceRows),
                         [](const auto& info) { return std::string(info.param.Name); });

struct TContinuesRow {
    const char* Name;
    std::string Token;
    std::string Next;
    bool Continues;
};

void PrintTo(const TContinuesRow& row, std::ostream* os) {
    *os << '"' << row.Token << "\" then \"" << row.Next << '"';
}

class ContinuesTokenOf : public testing::TestWithParam<TContinuesRow> {};

TEST_P(ContinuesTokenOf, Gives) {
    EXPECT_EQ(ContinuesToken(GetParam().Token, GetParam().Next), GetParam().Continues);
}

const TContinuesRow ContinuesRows[] = {
    {"EmptyTokenTakesAnything", "", "+", true},
    {"EmptyTokenTakesBlank", "", " ", true},
    {"DigitAfterDigit", "1", "2", true},
    {"PointAfterDigit", "1", ".", true},
    {"DigitAfterPointInsideNumber", "1.", "5", true},
    {"LetterAfterDigit", "1", "e", false},
    {"BlankAfterDigit", "1", " ", false},
    {"DigitAfterMinus", "-", "3", false},
    {"GreaterEqual", ">", "=", true},
    {"LessGreater", "<", ">", true},
    {"EqualEqual", "=", "=", false},
    {"GreaterLess", ">", "<", false},
    {"MaxPrefixGrows", "ma", "x", true},
    {"MaxTakesBracket", "max", "(", true},
    {"MaxCallIsComplete", "max(", "1", false},
    {"InnerRunOfMax", "a", "x", true},
    {"XTakesBracket", "x", "(", true},
    {"MaxPrefixRefusesBlank", "m", " ", false},
    {"NotARunOfMax", "m", "x", false},
    {"DigitAfterLetter", "x", "1", false},
};

INSTANTIATE_TEST_SUITE_P(Rows, ContinuesTokenOf, testing::ValuesIn(ContinuesRows),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(TJStack, EmptyStackGivesEmptyTextAndStaysEmpty) {
    TJStack stack;
    EXPECT_EQ(stack.Peek(), "");
    EXPECT_EQ(stack.Pop(), "");
    stack.Push("");
    stack.Push("a");
    EXPECT_EQ(stack.Pop(), "a");
    EXPECT_EQ(stack.Entries.size(), 1U);
    EXPECT_EQ(stack.Pop(), "");
    EXPECT_TRUE(stack.Entries.empty());
}

TEST(TJExpr, LowersOnlyAsciiLettersAndAppendsEndMarker) {
    const TJExpr expr("AZ\xC4[@");
    EXPECT_EQ(expr.ExprText, "az\xC4[@#");
    EXPECT_EQ(expr.ExprLength, 6);
    EXPECT_EQ(expr.Position, 1);
    EXPECT_FALSE(expr.AtEnd);
}

TEST(MaxOf, TakesFirstNSlotsOnly) {
    ArgSlots slots;
    slots[0] = "1";
    slots[1] = "3";
    slots[2] = "9";
    EXPECT_EQ(MaxOf(slots, 2), "3");
    EXPECT_THROW(MaxOf(slots, 0), EFormulaError);
    EXPECT_THROW(MaxOf(slots, 21), EFormulaError);
}

TEST(ApplyOperator, EndMarkerIsNoOperator) {
    EXPECT_THROW(ApplyOperator("#", "1", "2"), EFormulaError);
    EXPECT_THROW(ApplyOperator("", "1", "2"), EFormulaError);
}

} // namespace
