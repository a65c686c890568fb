#pragma once

// What the player presses to build an answer: a number of the puzzle or an
// operator. Where it was pressed, a panel, a key or the keyboard, does not matter.

#include <cstdint>
#include <variant>

// Each operator is the character it adds to the answer.
enum class TOperator : char {
    Plus = '+',
    Minus = '-',
    Times = '*',
    Divide = '/',
    Open = '(',
    Close = ')',
};

using TPress = std::variant<std::int32_t, TOperator>;
