#include "game/digitkeys.h"

#include <QKeyEvent>

namespace {

// Long enough to type a second digit, short enough not to feel like a lag.
constexpr int SecondDigitWait = 800;

bool IsModifier(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_AltGr || key == Qt::Key_Meta;
}

} // namespace

bool IsPlainKey(const QKeyEvent& event) {
    return !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

TDigitKeys::TDigitKeys(TTypedNumber::TUsable usable, TTypedNumber::TEnter enter)
    : FTyped(std::move(usable), std::move(enter)) {
    FWait.setSingleShot(true);
    FWait.setInterval(SecondDigitWait);
    QObject::connect(&FWait, &QTimer::timeout, &FWait, [this] { FTyped.EndWait(); });
}

bool TDigitKeys::KeyPress(const QKeyEvent& event) {
    const int key = event.key();
    if (IsModifier(key))
        return false;
    if (!IsPlainKey(event) || key < Qt::Key_0 || key > Qt::Key_9) {
        EndWait();
        return false;
    }
    FTyped.Digit(key - Qt::Key_0);
    if (FTyped.Waiting())
        FWait.start();
    else
        FWait.stop();
    return true;
}

void TDigitKeys::EndWait() {
    FWait.stop();
    FTyped.EndWait();
}
