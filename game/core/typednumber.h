#pragma once

// Numbers typed on the keyboard one digit at a time. A digit enters its value at
// once, unless a usable value of two digits begins with it: then it waits for the
// next digit. The wait ends with that digit, with any other key, or when the
// window's timer runs out; the window owns the timer and says when it ran out.

#include <cstdint>
#include <functional>
#include <optional>

class TTypedNumber {
public:
    using TUsable = std::function<bool(std::int32_t)>; // a value that can still be entered
    using TEnter = std::function<void(std::int32_t)>;

    TTypedNumber(TUsable usable, TEnter enter);

    void Digit(int digit); // 0-9
    // Another key came, or the wait ran out: a waiting digit is entered when its
    // value is usable.
    void EndWait();
    bool Waiting() const { return FFirst.has_value(); }

private:
    bool BeginsUsableNumber(int digit) const;

    TUsable FUsable;
    TEnter FEnter;
    std::optional<int> FFirst; // the digit that waits
};
