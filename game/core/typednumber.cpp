#include "game/core/typednumber.h"

#include <utility>

TTypedNumber::TTypedNumber(TUsable usable, TEnter enter)
    : FUsable(std::move(usable)), FEnter(std::move(enter)) {}

void TTypedNumber::Digit(int digit) {
    if (FFirst) {
        const std::int32_t number = *FFirst * 10 + digit;
        if (FUsable(number)) {
            FFirst.reset();
            FEnter(number);
            return;
        }
        // The two digits make nothing on the table: the first one stands alone
        // and this one starts afresh.
        EndWait();
    }
    if (BeginsUsableNumber(digit))
        FFirst = digit;
    else if (digit != 0) // no number of the game is 0; a lone 0 enters nothing
        FEnter(digit);
}

void TTypedNumber::EndWait() {
    if (!FFirst)
        return;
    const int first = *std::exchange(FFirst, std::nullopt);
    if (FUsable(first))
        FEnter(first);
}

bool TTypedNumber::BeginsUsableNumber(int digit) const {
    if (digit == 0)
        return false;
    for (int second = 0; second <= 9; ++second) {
        if (FUsable(digit * 10 + second))
            return true;
    }
    return false;
}
