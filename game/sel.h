#pragma once

// The number picker: a modal window whose keys fill the four slots of the puzzle
// in order. It writes through the rules object the game window lends it. Digits
// typed on the keyboard pick numbers too, Backspace is "←", and Esc closes it.

#include "game/core/rules.h"
#include "game/digitkeys.h"

#include <QDialog>

#include <array>

class QToolButton;

class TSelFrm : public QDialog {
    Q_OBJECT
public:
    explicit TSelFrm(TNumGame& game, QWidget* parent = nullptr);

    void FormActivate();
    void SpeedButton1Click(const QToolButton* Sender);
    void SpeedButton14Click();

    // SpeedButton1..13 pick "1".."13"; SpeedButton14 is "←".
    std::array<QToolButton*, 14> SpeedButtons{};

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Pickable(std::int32_t number) const; // its button is there and enabled
    void PickTyped(std::int32_t number);

    TNumGame& FGame;
    TDigitKeys FDigits;
};
