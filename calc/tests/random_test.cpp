#include "calc/untJCalc.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Random byte strings weighted towards what the calculator reacts to, so that most
// of them reach deep into the evaluation rather than stopping at the first token.
TEST(CalcRandom, EveryFormulaEndsWithValueOrCalculatorError) {
    static constexpr std::string_view Alphabet = "0123456789.+-*/()#<>=&:, maxMAXe";
    std::mt19937 random(24);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::size_t> pick(0, Alphabet.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int values = 0;
    int errors = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string formula;
        for (int n = length(random); n > 0; --n)
            formula += kind(random) < 8 ? Alphabet[pick(random)] : static_cast<char>(byte(random));
        try {
            Calc(formula);
            ++values;
        } catch (const ECalcError&) {
            ++errors;
        }
    }
    // Both outcomes must be common, or the generator tests too little.
    EXPECT_GT(values, 20000);
    EXPECT_GT(errors, 20000);
}

} // namespace
