#include "calc/untJCalc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The byte-exact results need the x87 unit to round to its full 64-bit mantissa and
// to nearest. Linux starts every thread so, and so does MinGW's start-up code for
// the main thread and std::thread, but Windows starts a thread made with
// CreateThread at 53 bits. Each call therefore sets what it needs and gives the
// caller back its own control word, also when an error ends the call.
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
constexpr std::uint16_t RoundingAndPrecision = 0x0F00;
constexpr std::uint16_t NearestAt64Bits = 0x0300;

class TExtendedPrecision {
public:
    TExtendedPrecision() {
        __asm__ volatile("fnstcw %0" : "=m"(FCallerWord)::"memory");
        const auto wanted =
            static_cast<std::uint16_t>((FCallerWord & ~RoundingAndPrecision) | NearestAt64Bits);
        FChanged = wanted != FCallerWord;
        if (FChanged)
            __asm__ volatile("fldcw %0" ::"m"(wanted) : "memory");
    }

    ~TExtendedPrecision() {
        if (FChanged)
            __asm__ volatile("fldcw %0" ::"m"(FCallerWord) : "memory");
    }

    TExtendedPrecision(const TExtendedPrecision&) = delete;
    TExtendedPrecision& operator=(const TExtendedPrecision&) = delete;

private:
    std::uint16_t FCallerWord = 0;
    bool FChanged = false;
};
#else
// Without an x87 unit long double arithmetic has no precision to set.
class TExtendedPrecision {};
#endif

// Enough for the solver's formulas without growing.
constexpr std::size_t StackReserve = 16;

constexpr std::string_view MaxCall = "max(";

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

bool IsNumberChar(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

std::string Render(long double value) {
    if (std::isinf(value))
        throw EOverflow();
    return FloatToStr(value);
}

std::string Truth(bool value) {
    return value ? "1" : "0";
}

const char* ClosingWithoutOpening = "Closing bracket without an opening one in formula";
const char* CommaOutsideMax = "Comma outside max( in formula";

} // namespace

TJStack::TJStack() {
    Entries.reserve(StackReserve);
}

void TJStack::Push(std::string text) {
    Entries.push_back(std::move(text));
}

const std::string& TJStack::Peek() const {
    static const std::string Empty;
    return Entries.empty() ? Empty : Entries.back();
}

std::string TJStack::Pop() {
    if (Entries.empty())
        return {};
    std::string top = std::move(Entries.back());
    Entries.pop_back();
    return top;
}

TJExpr::TJExpr(const std::string& formula) : Position(1), ExprLength(0), AtEnd(false) {
    // Positions are 32-bit; a longer text is no formula anyone writes.
    if (formula.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 1))
        throw EFormulaError("Formula too long");
    ExprText.reserve(formula.size() + 1);
    for (const char c : formula)
        ExprText.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    ExprText.push_back('#');
    ExprLength = static_cast<std::int32_t>(ExprText.size());
}

std::string TJExpr::NextToken() {
    if (Position > ExprLength) {
        AtEnd = true;
        return {};
    }
    std::string token;
    // The continuation test sees the raw character; only the token drops blanks.
    for (bool first = true;
         first || (Position <= ExprLength &&
                   ContinuesToken(token, std::string_view(&ExprText[Position - 1], 1)));
         first = false) {
        const char c = ExprText[Position - 1];
        if (!IsBlank(c))
            token.push_back(c);
        ++Position;
    }
    return token;
}

int TokenClass(std::string_view token) {
    switch (token.size()) {
    case 1:
        switch (token[0]) {
        case '+':
            return 1;
        case '-':
            return 2;
        case '*':
            return 3;
        case '/':
            return 4;
        case '(':
            return 5;
        case ')':
            return 6;
        case '#':
            return 7;
        case '>':
            return 8;
        case '<':
            return 9;
        case '=':
            return 12;
        case '&':
            return 14;
        case ':':
            return 15;
        case ',':
            return 16;
        default:
            return -1;
        }
    case 2:
        if (token == ">=")
            return 10;
        if (token == "<=")
            return 11;
        if (token == "<>")
            return 13;
        return -1;
    default:
        return token == MaxCall ? 17 : -1;
    }
}

int Precedence(std::string_view top, std::string_view incoming) {
    const int row = TokenClass(top);
    const int column = TokenClass(incoming);
    if (row < 1 || column < 1)
        return 1;
    return PrecedenceTable[(row - 1) * OperatorCount + (column - 1)] - 1;
}

bool ContinuesToken(std::string_view token, std::string_view next) {
    if (token.empty())
        return true;
    if (next.size() == 1 && IsNumberChar(token.back()) && IsNumberChar(next[0]))
        return true;
    // The tokenizer asks once per character; the joined text of at most four
    // characters stays on the stack.
    const std::size_t length = token.size() + next.size();
    if (length > MaxCall.size())
        return false;
    char joined[4];
    std::copy(token.begin(), token.end(), joined);
    std::copy(next.begin(), next.end(), joined + token.size());
    const std::string_view text(joined, length);
    if (length == 2 && (text == ">=" || text == "<=" || text == "<>"))
        return true;
    // The characters of "max(" are all different, so the first one fixes where the
    // text would have to start.
    const std::size_t start = MaxCall.find(joined[0]);
    return start != MaxCall.npos && MaxCall.substr(start, length) == text;
}

std::string ApplyOperator(std::string_view op, const std::string& left, const std::string& right) {
    switch (TokenClass(op)) {
    case 1:
        if (left.empty() || right.empty())
            return left.empty() && right.empty() ? "0" : left + right;
        return Render(StrToFloat(left) + StrToFloat(right));
    case 2:
        if (left.empty())
            return Render(-StrToFloat(right));
        return Render(StrToFloat(left) - StrToFloat(right));
    case 3:
        return Render(StrToFloat(left) * StrToFloat(right));
    case 4: {
        // The solver divides by a literal 0 now and then; it is a value, not an error.
        if (right == "0")
            return "99999999";
        const long double l = StrToFloat(left);
        const long double r = StrToFloat(right);
        if (r == 0) {
            if (l == 0)
                throw EInvalidOp();
            throw EZeroDivide();
        }
        return Render(l / r);
    }
    case 8:
        return Truth(StrToFloat(left) > StrToFloat(right));
    case 9:
        return Truth(StrToFloat(left) < StrToFloat(right));
    case 10:
        return Truth(StrToFloat(left) >= StrToFloat(right));
    case 11:
        return Truth(StrToFloat(left) <= StrToFloat(right));
    case 12:
        return Truth(StrToFloat(left) == StrToFloat(right));
    case 13:
        return Truth(StrToFloat(left) != StrToFloat(right));
    case 14:
        if (StrToFloat(left) == 0)
            return "0";
        return Truth(StrToFloat(right) != 0);
    case 15:
        return StrToFloat(left) != 0 ? right : "0";
    case 5:
    case 17:
        throw EFormulaError("Missing closing bracket in formula");
    case 6:
        throw EFormulaError(ClosingWithoutOpening);
    case 16:
        throw EFormulaError(CommaOutsideMax);
    default:
        throw EFormulaError("'" + std::string(op) + "' is not an operator");
    }
}

std::string MaxOf(const ArgSlots& arguments, int n) {
    if (n < 1 || n > ArgSlotCount)
        throw EFormulaError("max( takes 1 to 20 arguments");
    auto argument = [&](int slot) {
        const auto value = static_cast<double>(StrToFloat(arguments[slot]));
        if (std::isinf(value))
            throw EOverflow();
        return value;
    };
    double m = argument(0);
    for (int slot = 1; slot < n; ++slot) {
        const double value = argument(slot);
        if (value > m)
            m = value;
    }
    return FloatToStr(m);
}

std::string Calc(const std::string& formula) {
    const TExtendedPrecision precision;
    TJExpr expr(formula);
    TJStack operators;
    TJStack operands;
    operators.Push("#");
    std::string token = expr.NextToken();
    while (!(token == "#" && operators.Peek() == "#") && !expr.AtEnd) {
        if (TokenClass(token) == -1) {
            operands.Push(std::move(token));
            token = expr.NextToken();
            continue;
        }
        switch (Precedence(operators.Peek(), token)) {
        case -1:
            operators.Push(std::move(token));
            token = expr.NextToken();
            break;
        case 0: {
            std::string x = operators.Pop();
            if (x != "(") {
                int n = 1;
                for (; x == ","; x = operators.Pop())
                    ++n;
                // Anything but max( under the commas, the bottom marker included,
                // leaves the group without a value; stopping here also keeps the
                // evaluation from running on without its bottom marker.
                if (x != MaxCall)
                    throw EFormulaError(n == 1 ? ClosingWithoutOpening : CommaOutsideMax);
                if (n > ArgSlotCount)
                    throw EFormulaError("max( takes at most 20 arguments");
                ArgSlots slots; // only max( calls pay for the twenty texts
                for (int slot = 0; slot < n; ++slot)
                    slots[slot] = operands.Pop();
                operands.Push(MaxOf(slots, n));
            }
            token = expr.NextToken();
            break;
        }
        default: {
            const std::string op = operators.Pop();
            std::string right = operands.Pop();
            std::string left = operands.Pop();
            operands.Push(ApplyOperator(op, left, right));
            break;
        }
        }
    }
    return operands.Peek();
}
