// Windows only: a thread made with CreateThread starts with the x87 unit at 53-bit
// precision, where an unguarded evaluation rounds differently from the main thread.

#include "calc/untJCalc.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t PrecisionBits = 0x0300;
constexpr std::uint16_t Precision53 = 0x0200;

std::uint16_t ControlWord() {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

// Sums of two fractions, the shape of the solver's candidates; at 53 bits many of
// them round to other texts.
std::vector<std::string> Formulas() {
    std::vector<std::string> formulas{"5/13+8/8"};
    for (int a = 1; a <= 13; ++a)
        for (int b = 1; b <= 13; ++b)
            for (int c = 1; c <= 13; c += 3)
                for (int d = 1; d <= 13; d += 2)
                    formulas.push_back(std::to_string(a) + "/" + std::to_string(b) + "+" +
                                       std::to_string(c) + "/" + std::to_string(d));
    return formulas;
}

struct TThreadRun {
    const std::vector<std::string>* Formulas = nullptr;
    std::vector<std::string> Results;
    std::uint16_t WordBefore = 0;
    std::uint16_t WordAfter = 0;
};

DWORD WINAPI EvaluateAt53Bits(void* data) {
    auto& run = *static_cast<TThreadRun*>(data);
    // Set explicitly, so the test does not depend on what the system starts threads with.
    const auto word = static_cast<std::uint16_t>((ControlWord() & ~PrecisionBits) | Precision53);
    __asm__ volatile("fldcw %0" ::"m"(word));
    run.WordBefore = ControlWord();
    for (const std::string& formula : *run.Formulas)
        run.Results.push_back(Calc(formula));
    run.WordAfter = ControlWord();
    return 0;
}

TEST(CalcOnWindows, CreateThreadAt53BitsGivesTheMainThreadsBytes) {
    const std::vector<std::string> formulas = Formulas();
    TThreadRun run;
    run.Formulas = &formulas;
    HANDLE thread = CreateThread(nullptr, 0, EvaluateAt53Bits, &run, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
    CloseHandle(thread);

    EXPECT_EQ(run.WordBefore & PrecisionBits, Precision53);
    EXPECT_EQ(run.WordAfter, run.WordBefore) << "the caller's control word is given back";
    ASSERT_EQ(run.Results.size(), formulas.size());
    EXPECT_EQ(run.Results[0], "1.38461538461538");
    for (std::size_t i = 0; i < formulas.size(); ++i)
        ASSERT_EQ(run.Results[i], Calc(formulas[i])) << formulas[i];
}

} // namespace
