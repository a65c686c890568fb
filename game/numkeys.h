#pragma once

// A window of the game played from the keyboard, wherever the focus is. Each key
// stands for one control and does what its click does, through the same handler;
// the control shows a short pressed look. A disabled control's key does nothing.
// Typed numbers go to the window, which presses the control that holds them.

#include "game/digitkeys.h"

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QWidget;

class TNumKeys : public QObject {
public:
    // Lives as long as the window; typed numbers go to enter.
    TNumKeys(QWidget& window, TTypedNumber::TUsable usable, TTypedNumber::TEnter enter);

    // The keys stand for the control and do what its click does; its accessible
    // description names them.
    void Bind(const std::vector<Qt::Key>& keys, QAbstractButton* control,
              const std::function<void()>& click);

    // The typed digit that waits for a second one is entered now, as when the
    // wait runs out.
    void EndWait() { FDigits.EndWait(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TCommand {
        QAbstractButton* Control;
        std::function<void()> Click;
    };

    bool InWindow(const QObject* watched) const;
    bool KeyPress(const QKeyEvent& event);

    QWidget& FWindow;
    TDigitKeys FDigits;
    std::map<int, TCommand> FCommands;
};
