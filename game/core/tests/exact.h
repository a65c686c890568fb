#pragma once

// Exact arithmetic for the tests that must know what an expression truly is,
// independently of the calculator and of the SQL engine.

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <optional>

struct TFraction {
    std::int64_t N;
    std::int64_t D; // > 0

    bool Is24() const { return N == 24 * D; }
};

inline TFraction Make(std::int64_t n, std::int64_t d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const std::int64_t g = std::gcd(n, d);
    return {n / g, d / g};
}

namespace exact {

// a op b; nothing once a division by zero has happened.
inline std::optional<TFraction> Apply(std::optional<TFraction> a, QChar op,
                                      std::optional<TFraction> b) {
    if (!a || !b)
        return std::nullopt;
    switch (op.unicode()) {
    case u'+':
        return Make(a->N * b->D + b->N * a->D, a->D * b->D);
    case u'-':
        return Make(a->N * b->D - b->N * a->D, a->D * b->D);
    case u'*':
        return Make(a->N * b->N, a->D * b->D);
    default:
        if (b->N == 0)
            return std::nullopt;
        return Make(a->N * b->D, a->D * b->N);
    }
}

// The five ways to bracket t0 x t1 y t2 z t3, built with combine.
template <class T, class F>
T Bracketing(int shape, const std::array<T, 4>& t, const std::array<QChar, 3>& op, F combine) {
    switch (shape) {
    case 0:
        return combine(combine(combine(t[0], op[0], t[1]), op[1], t[2]), op[2], t[3]);
    case 1:
        return combine(combine(t[0], op[0], combine(t[1], op[1], t[2])), op[2], t[3]);
    case 2:
        return combine(t[0], op[0], combine(combine(t[1], op[1], t[2]), op[2], t[3]));
    case 3:
        return combine(t[0], op[0], combine(t[1], op[1], combine(t[2], op[2], t[3])));
    default:
        return combine(combine(t[0], op[0], t[1]), op[1], combine(t[2], op[2], t[3]));
    }
}

// The first fully bracketed expression over the four numbers, in every order, with
// every operator and bracketing, whose value is 24 (or, without wanted24, is a
// number other than 24); empty when there is none.
inline QString FirstExpression(std::array<int, 4> numbers, bool wanted24) {
    const auto text = [](const QString& a, QChar op, const QString& b) {
        return QString(u'(') + a + op + b + u')';
    };
    constexpr std::array<QChar, 4> ops = {u'+', u'-', u'*', u'/'};
    std::sort(numbers.begin(), numbers.end());
    do {
        std::array<std::optional<TFraction>, 4> values;
        std::array<QString, 4> texts;
        for (std::size_t i = 0; i < 4; ++i) {
            values[i] = TFraction{numbers[i], 1};
            texts[i] = QString::number(numbers[i]);
        }
        for (QChar x : ops)
            for (QChar y : ops)
                for (QChar z : ops)
                    for (int shape = 0; shape < 5; ++shape) {
                        const auto value = Bracketing(shape, values, {x, y, z}, Apply);
                        if (value && value->Is24() == wanted24)
                            return Bracketing(shape, texts, {x, y, z}, text);
                    }
    } while (std::next_permutation(numbers.begin(), numbers.end()));
    return {};
}

} // namespace exact

// A solution the player could work out with pencil and paper; empty when there is none.
inline QString SolutionFor(const std::array<int, 4>& numbers) {
    return exact::FirstExpression(numbers, true);
}

// A fully bracketed expression over the four numbers that does not make 24.
inline QString NonSolutionFor(const std::array<int, 4>& numbers) {
    return exact::FirstExpression(numbers, false);
}
