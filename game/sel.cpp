#include "game/sel.h"

#include "game/uistyle.h"

#include <QShowEvent>
#include <QToolButton>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

// The outer size of the picker, frame included.
constexpr QSize OuterSize{497, 77};

constexpr std::array<int, 14> Lefts = {8,   40,  72,  104, 136, 168, 200,
                                       232, 264, 296, 328, 360, 392, 448};

} // namespace

TSelFrm::TSelFrm(TNumGame& game, QWidget* parent) : QDialog(parent), FGame(game) {
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

void TSelFrm::FormActivate() {
    FGame.OpenPicker();
    const bool big = FGame.BigNumbersPickable();
    for (std::size_t i = 9; i < 13; ++i)
        SpeedButtons[i]->setEnabled(big);
}

void TSelFrm::SpeedButton1Click(const QToolButton* Sender) {
    FGame.PickNumber(Sender->text());
}

void TSelFrm::SpeedButton14Click() {
    FGame.UnpickNumber();
}
