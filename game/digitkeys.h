#pragma once

// Numbers typed into a window of the game, with the window's wait for a second
// digit.

#include "game/core/typednumber.h"

#include <QTimer>

class QKeyEvent;

// No Ctrl, Alt or Meta: such keys belong to the toolkit and to the edit fields.
bool IsPlainKey(const QKeyEvent& event);

class TDigitKeys {
public:
    TDigitKeys(TTypedNumber::TUsable usable, TTypedNumber::TEnter enter);

    // A digit, from the main keys or the keypad, goes to the typed number and
    // true is returned. Any other key ends the wait first and false is returned;
    // Shift and the other modifiers alone leave it running.
    bool KeyPress(const QKeyEvent& event);
    void EndWait();
    bool Waiting() const { return FTyped.Waiting(); }

private:
    TTypedNumber FTyped;
    QTimer FWait;
};
