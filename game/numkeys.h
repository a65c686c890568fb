#pragma once

// The game window played from the keyboard, wherever the focus is. Each key
// stands for one control and does what its click does, through the same handler;
// the control shows a short pressed look. A disabled control's key does nothing.

#include "game/digitkeys.h"

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class TNumFrm;

class TNumKeys : public QObject {
public:
    explicit TNumKeys(TNumFrm& frm); // lives as long as the window

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
    void EnterNumber(std::int32_t number);

    TNumFrm& FFrm;
    TDigitKeys FDigits;
    std::map<int, TCommand> FCommands;
};
