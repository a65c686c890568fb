#pragma once

#include "calc/calcerror.h"
#include "calc/numtext.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The expression calculator: an operator-precedence evaluator over two stacks of
// texts. Every value, intermediate ones included, travels as number text, so each
// step is rounded to 15 significant digits before the next operator reads it.

// A stack of texts; popping or peeking an empty stack gives the empty text.
class TJStack {
public:
    TJStack();

    void Push(std::string text);
    // The top entry; valid until the next Push or Pop.
    [[nodiscard]] const std::string& Peek() const;
    std::string Pop();

    std::vector<std::string> Entries; // the last entry is the top
};

// Cuts a formula into tokens: numbers (runs of digits and points), the operators,
// and every other character as an operand of its own.
class TJExpr {
public:
    explicit TJExpr(const std::string& formula);

    // The next token, or the empty text with AtEnd set once the text is used up.
    std::string NextToken();

    std::string ExprText;    // the formula lowered (ASCII A-Z only) with "#" appended
    std::int32_t Position;   // 1-based index of the next character to read
    std::int32_t ExprLength; // the length of ExprText
    bool AtEnd;
};

// Class 1-17 of an operator token ("+" "-" "*" "/" "(" ")" "#" ">" "<" ">=" "<="
// "=" "<>" "&" ":" "," "max("), -1 for an operand.
int TokenClass(std::string_view token);

inline constexpr int OperatorCount = 17;

// Rows: class of the operator on top of the stack; columns: class of the incoming
// one. 0 push, 1 match a bracket, 2 reduce.
// clang-format off
inline constexpr std::array<std::int8_t, OperatorCount * OperatorCount> PrecedenceTable = {
//  +  -  *  /  (  )  #  >  < >= <=  = <>  &  :  , max(
    2, 2, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // +
    2, 2, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // -
    2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // *
    2, 2, 2, 2, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // /
    0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // (
    2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, // )
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // #
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // >
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // <
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // >=
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // <=
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // =
    0, 0, 0, 0, 0, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0, // <>
    0, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 2, 2, 2, 0, // &
    0, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, // :
    0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // ,
    0, 0, 0, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // max(
};
// clang-format on

// -1 push the incoming operator, 0 match a bracket, 1 reduce the top operator.
// An operand on either side always reduces.
int Precedence(std::string_view top, std::string_view incoming);

// Whether the character next (a text of one character) still belongs to the token
// read so far.
bool ContinuesToken(std::string_view token, std::string_view next);

// One operator applied to its operand texts; throws on operands that are not
// numbers where a number is needed, and EFormulaError for a bracket, comma or end
// marker that is left over in an unbalanced formula.
std::string ApplyOperator(std::string_view op, const std::string& left, const std::string& right);

// The arguments of one max( call, the last argument in slot 0.
inline constexpr int ArgSlotCount = 20;
using ArgSlots = std::array<std::string, ArgSlotCount>;

// The greatest of the first n arguments, compared in double precision.
std::string MaxOf(const ArgSlots& arguments, int n);

// Evaluates a formula and returns its value as number text (or its last operand as
// written when it has no operator). Throws ECalcError descendants. The result does
// not depend on the precision or rounding the caller has set for the x87 unit.
std::string Calc(const std::string& formula);
