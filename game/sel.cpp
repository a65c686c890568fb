#include "game/sel.h"

#include "game/uistyle.h"

#include <QKeyEvent>
#include <QShowEvent>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The outer size of the picker, frame included.
constexpr QSize OuterSize{497, 77};

constexpr std::array<int, 14> Lefts = {8,   40,  72,  104, 136, 168, 200,
                                       232, 264, 296, 328, 360, 392, 448};

} // namespace

TSelFrm::TSelFrm(TNumGame& game, QWidget* parent)
    : QDialog(parent), FGame(game),
      FDigits([this](std::int32_t number) { return Pickable(number); },
              [this](std::int32_t number) { PickTyped(number); }) {
    setWindowTitle(u"选择数字"_s);
    move(149, 223);
    resize(OuterSize);
    setFont(ui::PixelFont(11));
    setAutoFillBackground(true);
    QPalette cream = palette();
    cream.setColor(QPalette::Window, ui::Cream);
    setPalette(cream);

    for (std::size_t i = 0; i < SpeedButtons.size(); ++i) {
        const bool backspace = i + 1 == SpeedButtons.size();
        const QString caption = backspace ? u"←"_s : QString::number(i + 1);
        auto* button = ui::MakeSpeedButton(this, u"SpeedButton%1"_s.arg(i + 1), caption,
                                           {Lefts[i], 8, 33, 33}, 32);
        button->setAccessibleName(backspace ? u"backspace"_s : caption);
        button->setAccessibleDescription(backspace ? u"key: Backspace"_s
                                         : i < 9   ? u"key: "_s + caption
                                                   : u"keys: 1 then %1"_s.arg(i - 9));
        ui::SetTextColour(button, QPalette::ButtonText, backspace ? ui::Fuchsia : ui::Red);
        if (backspace)
            connect(button, &QToolButton::clicked, this, &TSelFrm::SpeedButton14Click);
        else
            connect(button, &QToolButton::clicked, this,
                    [this, button] { SpeedButton1Click(button); });
        SpeedButtons[i] = button;
    }
}

void TSelFrm::showEvent(QShowEvent* event) {
    // The window manager adds its frame only once the window is on screen; the
    // client area then shrinks so that the frame keeps the picker's outer size.
    if (const QWindow* window = windowHandle()) {
        const QMargins frame = window->frameMargins();
        resize(OuterSize.width() - frame.left() - frame.right(),
               OuterSize.height() - frame.top() - frame.bottom());
    }
    QDialog::showEvent(event);
    FormActivate();
}

void TSelFrm::hideEvent(QHideEvent* event) {
    // A digit typed just before closing still picks its number.
    FDigits.EndWait();
    QDialog::hideEvent(event);
}

void TSelFrm::keyPressEvent(QKeyEvent* event) {
    if (FDigits.KeyPress(*event))
        return;
    if (event->key() == Qt::Key_Backspace && IsPlainKey(*event)) {
        ui::ShowPressed(SpeedButtons.back());
        SpeedButton14Click();
        return;
    }
    QDialog::keyPressEvent(event); // Esc closes the picker
}

bool TSelFrm::Pickable(std::int32_t number) const {
    return number >= 1 && number <= 13 && SpeedButtons[std::size_t(number - 1)]->isEnabled();
}

void TSelFrm::PickTyped(std::int32_t number) {
    if (!Pickable(number))
        return;
    QToolButton* button = SpeedButtons[std::size_t(number - 1)];
    ui::ShowPressed(button);
    SpeedButton1Click(button);
}

void TSelFrm::FormActivate() {
    FGame.OpenPicker();
    const bool big = FGame.BigNumbersPickable();
    for (std::size_t i = 9; i < 13; ++i)
        SpeedButtons[i]->setEnabled(big);
}

void TSelFrm::SpeedButton1Click(const QToolButton* Sender) {
    // SpeedButtonN picks N.
    const auto button = std::find(SpeedButtons.begin(), SpeedButtons.end(), Sender);
    FGame.PickNumber(std::int32_t(button - SpeedButtons.begin()) + 1);
}

void TSelFrm::SpeedButton14Click() {
    FGame.UnpickNumber();
}
