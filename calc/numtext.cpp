#include "calc/numtext.h"

#include "calc/calcerror.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

// Every step of the calculator renders and re-reads its values, so both directions
// are exact: rendering rounds the exact binary value once to 15 digits, parsing
// rounds the exact decimal value once to the nearest extended value.
static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::numeric_limits<long double>::max_exponent == 16384,
              "the calculator computes in 80-bit extended precision");

EConvertError::EConvertError(const std::string& text)
    : ECalcError("'" + text + "' is not a valid floating point value") {}

namespace {

__extension__ typedef unsigned __int128 TUInt128;

constexpr int SignificantDigits = 15;
constexpr std::uint64_t TenPow14 = 100'000'000'000'000;
constexpr std::uint64_t TenPow15 = 1'000'000'000'000'000;
// The lowest binary exponent of a unit in the last place, that of the smallest
// subnormal extended value.
constexpr int MinUlpExponent = std::numeric_limits<long double>::min_exponent - 64;
// Largest power of 5 whose product with a 64-bit mantissa still fits in 128 bits.
constexpr int MaxFastPow5 = 27;
// Beyond this many significant digits a text only needs to say that more nonzero
// digits follow: halfway points of extended values have fewer digits than this.
constexpr int MaxExactDigits = 12000;

constexpr std::array<std::uint64_t, MaxFastPow5 + 1> Pow5 = [] {
    std::array<std::uint64_t, MaxFastPow5 + 1> table{};
    std::uint64_t p = 1;
    for (auto& entry : table) {
        entry = p;
        p *= 5;
    }
    return table;
}();

int BitLength(TUInt128 value) {
    const auto high = static_cast<std::uint64_t>(value >> 64);
    return high != 0 ? 128 - std::countl_zero(high)
                     : 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

// Unsigned integer of any size for the rare values the 128-bit paths cannot hold:
// magnitudes far from 1 and texts with many digits.
class TBigNum {
public:
    explicit TBigNum(std::uint64_t value) {
        for (; value != 0; value >>= 32)
            FLimbs.push_back(static_cast<std::uint32_t>(value));
    }

    void MulAdd(std::uint64_t factor, std::uint64_t addend) {
        TUInt128 carry = addend;
        for (auto& limb : FLimbs) {
            carry += static_cast<TUInt128>(limb) * factor;
            limb = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        for (; carry != 0; carry >>= 32)
            FLimbs.push_back(static_cast<std::uint32_t>(carry));
    }

    void MulPow5(int n) {
        for (; n >= MaxFastPow5; n -= MaxFastPow5)
            MulAdd(Pow5[MaxFastPow5], 0);
        MulAdd(Pow5[n], 0);
    }

    void ShiftLeft(int bits) {
        if (FLimbs.empty() || bits == 0)
            return;
        const int words = bits / 32;
        const int rest = bits % 32;
        FLimbs.insert(FLimbs.begin(), words, 0);
        if (rest == 0)
            return;
        std::uint32_t carry = 0;
        for (std::size_t i = words; i < FLimbs.size(); ++i) {
            const std::uint32_t limb = FLimbs[i];
            FLimbs[i] = (limb << rest) | carry;
            carry = limb >> (32 - rest);
        }
        if (carry != 0)
            FLimbs.push_back(carry);
    }

    // The value shifted right by shift bits, cut to its low 128 bits.
    [[nodiscard]] TUInt128 Bits128(int shift) const {
        const auto first = static_cast<std::size_t>(shift / 32);
        const int rest = shift % 32;
        auto limb = [&](std::size_t i) -> TUInt128 { return i < FLimbs.size() ? FLimbs[i] : 0; };
        TUInt128 bits = 0;
        for (std::size_t i = first + 4; i-- > first;)
            bits = (bits << 32) | limb(i);
        bits >>= rest;
        if (rest != 0)
            bits |= limb(first + 4) << (128 - rest);
        return bits;
    }

    [[nodiscard]] TBigNum Times(std::uint64_t factor) const {
        TBigNum product = *this;
        product.MulAdd(factor, 0);
        return product;
    }

    [[nodiscard]] int BitLength() const {
        return FLimbs.empty()
                   ? 0
                   : static_cast<int>(FLimbs.size() * 32) - std::countl_zero(FLimbs.back());
    }

    [[nodiscard]] int Compare(const TBigNum& other) const {
        if (FLimbs.size() != other.FLimbs.size())
            return FLimbs.size() < other.FLimbs.size() ? -1 : 1;
        for (std::size_t i = FLimbs.size(); i-- > 0;)
            if (FLimbs[i] != other.FLimbs[i])
                return FLimbs[i] < other.FLimbs[i] ? -1 : 1;
        return 0;
    }

    // Requires *this >= other.
    void Subtract(const TBigNum& other) {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < FLimbs.size(); ++i) {
            std::int64_t diff = static_cast<std::int64_t>(FLimbs[i]) - borrow -
                                (i < other.FLimbs.size() ? other.FLimbs[i] : 0);
            borrow = diff < 0 ? 1 : 0;
            FLimbs[i] = static_cast<std::uint32_t>(diff + (borrow << 32));
        }
        Trim();
    }

private:
    void Trim() {
        while (!FLimbs.empty() && FLimbs.back() == 0)
            FLimbs.pop_back();
    }

    std::vector<std::uint32_t> FLimbs; // least significant first, no zero limbs on top
};

// Divides num by den when the quotient is known to be below 2^64: returns the
// quotient and compares twice the remainder with den (-1, 0 or 1).
std::uint64_t DivideSmallQuotient(const TBigNum& num, const TBigNum& den, int& halfCompare) {
    // The leading 64 bits of den give an estimate at most a few units off.
    const int shift = std::max(den.BitLength() - 64, 0);
    const TUInt128 estimate = num.Bits128(shift) / den.Bits128(shift);
    auto quotient = static_cast<std::uint64_t>(
        std::min<TUInt128>(estimate + 1, std::numeric_limits<std::uint64_t>::max()));
    TBigNum product = den.Times(quotient);
    while (product.Compare(num) > 0) {
        product.Subtract(den);
        --quotient;
    }
    TBigNum rest = num;
    rest.Subtract(product);
    while (rest.Compare(den) >= 0) {
        rest.Subtract(den);
        ++quotient;
    }
    rest.ShiftLeft(1);
    halfCompare = rest.Compare(den);
    return quotient;
}

// round(mantissa * 2^exp2 * 10^exp10), ties away from zero, for results below 2^60.
std::uint64_t ScaleToInteger(std::uint64_t mantissa, int exp2, int exp10) {
    const int shift = exp2 + exp10;
    if (std::abs(exp10) <= MaxFastPow5) {
        TUInt128 num = mantissa;
        TUInt128 den = 1;
        if (exp10 >= 0)
            num *= Pow5[exp10];
        else
            den = Pow5[-exp10];
        if (shift >= 0 && BitLength(num) + shift <= 126) {
            num <<= shift;
            return static_cast<std::uint64_t>(num / den + (2 * (num % den) >= den ? 1 : 0));
        }
        if (shift < 0 && BitLength(den) - shift <= 126) {
            den <<= -shift;
            return static_cast<std::uint64_t>(num / den + (2 * (num % den) >= den ? 1 : 0));
        }
    }
    TBigNum num(mantissa);
    TBigNum den(1);
    if (exp10 >= 0)
        num.MulPow5(exp10);
    else
        den.MulPow5(-exp10);
    if (shift >= 0)
        num.ShiftLeft(shift);
    else
        den.ShiftLeft(-shift);
    int half = 0;
    const std::uint64_t quotient = DivideSmallQuotient(num, den, half);
    return quotient + (half >= 0 ? 1 : 0);
}

char* WriteUnsigned(char* out, unsigned value) {
    char digits[16];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        *out++ = digits[--n];
    return out;
}

} // namespace

std::string FloatToStr(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    // Whole numbers below 10^15 are what the solver mostly computes; they render as
    // their plain digits, so the exact scaling below is not needed for them.
    if (std::fabs(value) < 1e15L && value == std::trunc(value)) {
        char buffer[20];
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::int64_t>(value)).ptr;
        return std::string(buffer, end);
    }

    int exp2 = 0;
    const long double fraction = std::frexp(std::fabs(value), &exp2);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    exp2 -= 64;
    // The value lies in [2^top, 2^(top+1)), so its decimal exponent is the floor of
    // top*log10(2) or one more; the digit count of the result settles which.
    const int top = exp2 + 63 - std::countl_zero(mantissa);
    int exp10 = static_cast<int>(std::floor(top * 0.301029995663981195213738894724493L));
    std::uint64_t digits = ScaleToInteger(mantissa, exp2, SignificantDigits - 1 - exp10);
    if (digits >= TenPow15) {
        ++exp10;
        digits = ScaleToInteger(mantissa, exp2, SignificantDigits - 1 - exp10);
    } else if (digits < TenPow14) {
        --exp10;
        digits = ScaleToInteger(mantissa, exp2, SignificantDigits - 1 - exp10);
    }
    if (digits == TenPow15) { // rounding carried into a new digit
        digits = TenPow14;
        ++exp10;
    }

    char text[SignificantDigits];
    for (int i = SignificantDigits - 1; i >= 0; --i, digits /= 10)
        text[i] = static_cast<char>('0' + digits % 10);
    int count = SignificantDigits;
    while (text[count - 1] == '0')
        --count;

    char buffer[40];
    char* out = buffer;
    if (value < 0)
        *out++ = '-';
    if (exp10 >= 0 && exp10 < SignificantDigits) {
        for (int i = 0; i <= exp10; ++i)
            *out++ = i < count ? text[i] : '0';
        if (count > exp10 + 1) {
            *out++ = '.';
            out = std::copy(text + exp10 + 1, text + count, out);
        }
    } else if (exp10 < 0 && exp10 >= -4) {
        *out++ = '0';
        *out++ = '.';
        out = std::fill_n(out, -exp10 - 1, '0');
        out = std::copy(text, text + count, out);
    } else {
        *out++ = text[0];
        if (count > 1) {
            *out++ = '.';
            out = std::copy(text + 1, text + count, out);
        }
        *out++ = 'E';
        if (exp10 < 0)
            *out++ = '-';
        out = WriteUnsigned(out, static_cast<unsigned>(std::abs(exp10)));
    }
    return {buffer, out};
}

namespace {

struct TDecimal {
    bool Negative = false;
    std::uint64_t Head = 0; // the first significant digits, at most 19 of them
    int HeadDigits = 0;
    int Significant = 0;    // all significant digits, leading zeros excluded
    long long Exponent = 0; // Head * 10^Exponent is the value cut after Head
    std::size_t DigitsBegin = 0;
    std::size_t DigitsEnd = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits a number text into its parts; false when the text is not one.
bool ScanNumber(const std::string& text, TDecimal& number) {
    // Exponents beyond this only say "far out of range" and must not overflow.
    constexpr long long ExponentCap = 1'000'000'000;
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size && text[i] == ' ')
        ++i;
    if (i < size && (text[i] == '+' || text[i] == '-'))
        number.Negative = text[i++] == '-';
    number.DigitsBegin = i;
    bool point = false;
    bool anyDigit = false;
    for (; i < size; ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(c))
            break;
        anyDigit = true;
        if (number.Significant == 0 && c == '0') {
            if (point)
                --number.Exponent;
            continue;
        }
        ++number.Significant;
        if (number.HeadDigits < 19) {
            number.Head = number.Head * 10 + static_cast<unsigned>(c - '0');
            ++number.HeadDigits;
            if (point)
                --number.Exponent;
        } else if (!point) {
            ++number.Exponent;
        }
    }
    number.DigitsEnd = i;
    if (!anyDigit && !point)
        return false;
    if (i < size && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < size && (text[i] == '+' || text[i] == '-'))
            negative = text[i++] == '-';
        long long exponent = 0;
        for (; i < size && IsDigit(text[i]); ++i)
            exponent = std::min(ExponentCap, exponent * 10 + (text[i] - '0'));
        number.Exponent += negative ? -exponent : exponent;
    }
    while (i < size && text[i] == ' ')
        ++i;
    return i == size;
}

constexpr std::array<long double, MaxFastPow5 + 1> ExactPow10 = [] {
    std::array<long double, MaxFastPow5 + 1> table{};
    long double p = 1;
    for (auto& entry : table) {
        entry = p;
        p *= 10;
    }
    return table;
}();

// The exact decimal value rounded once, ties to even, to extended precision; the
// magnitude is 10^magnitude or more but less than 10^(magnitude+1). Infinity when
// the value rounds beyond the largest extended value.
long double RoundDecimal(const std::string& text, const TDecimal& number, long long magnitude) {
    TBigNum num(0);
    int taken = 0;
    bool sticky = false;
    std::uint64_t chunk = 0; // up to 19 digits at a time
    int chunkDigits = 0;
    auto flush = [&] {
        num.MulAdd(Pow5[chunkDigits] << chunkDigits, chunk);
        chunk = 0;
        chunkDigits = 0;
    };
    for (std::size_t i = number.DigitsBegin; i < number.DigitsEnd; ++i) {
        const char c = text[i];
        if (c == '.' || (taken == 0 && c == '0'))
            continue;
        if (taken == MaxExactDigits) {
            sticky = sticky || c != '0';
            continue;
        }
        chunk = chunk * 10 + static_cast<unsigned>(c - '0');
        ++taken;
        if (++chunkDigits == 19)
            flush();
    }
    flush();
    if (sticky) {
        num.MulAdd(10, 1);
        ++taken;
    }
    // num holds the leading digits, the first of them at 10^magnitude.
    const auto exp10 = static_cast<int>(magnitude - (taken - 1));
    TBigNum den(1);
    if (exp10 >= 0) {
        num.MulPow5(exp10);
        num.ShiftLeft(exp10);
    } else {
        den.MulPow5(-exp10);
        den.ShiftLeft(-exp10);
    }
    // The quotient at this binary exponent has 63 or 64 bits; one step down when it
    // has 63, unless the value is subnormal.
    int exp2 = std::max(num.BitLength() - den.BitLength() - 63, MinUlpExponent);
    auto quotient = [&](int e, int& half) {
        TBigNum n = num;
        TBigNum d = den;
        if (e >= 0)
            d.ShiftLeft(e);
        else
            n.ShiftLeft(-e);
        return DivideSmallQuotient(n, d, half);
    };
    int half = 0;
    std::uint64_t q = quotient(exp2, half);
    if (std::countl_zero(q) > 0 && exp2 > MinUlpExponent) {
        --exp2;
        q = quotient(exp2, half);
    }
    if (half > 0 || (half == 0 && (q & 1) != 0)) {
        if (++q == 0) {
            q = std::uint64_t{1} << 63;
            ++exp2;
        }
    }
    return std::ldexp(static_cast<long double>(q), exp2);
}

} // namespace

long double StrToFloat(const std::string& text) {
    TDecimal number;
    if (!ScanNumber(text, number))
        throw EConvertError(text);
    long double value = 0;
    if (number.Significant == 0) {
        value = 0;
    } else if (number.Significant == number.HeadDigits &&
               std::abs(number.Exponent) <= MaxFastPow5) {
        // Both factors are exact, so the one multiplication or division rounds once.
        const auto head = static_cast<long double>(number.Head);
        value = number.Exponent >= 0 ? head * ExactPow10[number.Exponent]
                                     : head / ExactPow10[-number.Exponent];
    } else {
        const long long magnitude = number.HeadDigits - 1 + number.Exponent;
        constexpr int MaxMagnitude = std::numeric_limits<long double>::max_exponent10;
        // Below 10^-4952 lies less than half the smallest subnormal value.
        constexpr int MinMagnitude = std::numeric_limits<long double>::min_exponent10 - 21;
        if (magnitude > MaxMagnitude)
            throw EConvertError(text);
        if (magnitude >= MinMagnitude)
            value = RoundDecimal(text, number, magnitude);
    }
    if (std::isinf(value))
        throw EConvertError(text);
    return number.Negative ? -value : value;
}
