#pragma once

#include <cstdint>
#include <numeric>

// Exact values for the tests that tell what an expression truly is.
struct TFraction {
    std::int64_t N;
    std::int64_t D; // > 0
};

inline TFraction Make(std::int64_t n, std::int64_t d) {
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const std::int64_t g = std::gcd(n, d);
    return {n / g, d / g};
}
