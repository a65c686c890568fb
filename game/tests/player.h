#pragma once

// Test support: the two windows of the game as the program builds them, and a
// player who presses their controls and answers every modal window that opens.

#include "game/core/tests/exact.h"
#include "game/num24.h"
#include "game/sel.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QAbstractButton;

struct TGameWindows {
    TGameWindows();

    TNumFrm NumFrm;
    TSelFrm SelFrm;
};

class TPlayer {
public:
    explicit TPlayer(TGameWindows& windows) : FWindows(windows) {}

    // Clicks a control with the mouse. Message boxes that open are read and
    // answered with OK; the picker, when it opens, gets PickerPresses and is then
    // closed with its close box.
    void Click(QWidget* control);
    void Press(const QString& objectName); // a control of the game window

    // Presses a key of the keyboard in the game window, where the focus is; what
    // opens is answered as for a click.
    void Key(Qt::Key key);
    // Types each character as one key, e.g. "3x12-1" or "135".
    void Type(const QString& keys);

    // Builds an expression by pressing number panels and keys, e.g. "(1+3)*(2+4)".
    void Enter(const QString& expression);

    // "由我出题": opens the picker, presses the given numbers and closes it.
    void Pick(const QList<int>& numbers);

    // Captions pressed in the picker the next time it opens ("←" for backspace).
    QStringList PickerPresses;
    // Whether they are typed, the picker then closed with Esc, or clicked.
    bool PickerTyped = false;
    // Every box answered so far: its text and its object name.
    QStringList Messages;
    QStringList BoxNames;

private:
    void AnswerModals(const std::function<void()>& action);
    void AnswerModal();
    QAbstractButton* PickerButton(const QString& caption) const;

    TGameWindows& FWindows;
};

// The fixture of the window tests: fresh windows and a fresh player for every
// test, and no window left open after it.
class TGameTestCase : public QObject {
    Q_OBJECT
protected:
    void NewWindows();
    const TGameState& State() { return W->NumFrm.Game().State(); }

    std::unique_ptr<TGameWindows> W;
    std::unique_ptr<TPlayer> P;

private slots:
    void initTestCase();
    void init();
    void cleanup();
};

// The whole numbers of an answer, as the player reads them.
QList<int> WholeNumbers(const QString& answer);

// Drops the offscreen platform's complaint that it cannot size message boxes,
// which every box would otherwise add to the test log.
void IgnorePlatformNoise();

// The program's own application object, so that errors escaping a handler reach
// the default error report, as in the game.
#define NUMUI_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char** argv) {                                                              \
        TApplication app(argc, argv);                                                              \
        TApplication::SetTitle(QStringLiteral("晴棠算24点"));                                      \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
