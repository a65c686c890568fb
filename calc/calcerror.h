#pragma once

#include <stdexcept>
#include <string>

// Errors of the calculator and of number text. what() is the message the player
// sees in the error report, so it is the whole text and nothing else.
class ECalcError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a number: "'1..2' is not a valid floating point value".
class EConvertError : public ECalcError {
public:
    explicit EConvertError(const std::string& text);
};

// A zero divisor not written as the text "0".
class EZeroDivide : public ECalcError {
public:
    EZeroDivide() : ECalcError("Floating point division by zero") {}
};

// Zero divided by zero.
class EInvalidOp : public ECalcError {
public:
    EInvalidOp() : ECalcError("Invalid floating point operation") {}
};

// A result beyond the range of extended precision.
class EOverflow : public ECalcError {
public:
    EOverflow() : ECalcError("Floating point overflow") {}
};

// A formula whose brackets or commas do not pair up, or a max( call with more
// arguments than it has slots: the formula has no value.
class EFormulaError : public ECalcError {
public:
    using ECalcError::ECalcError;
};
