#include "game/numkeys.h"

#include "game/num24.h"
#include "game/uistyle.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TOperatorKey {
    Qt::Key Key;
    std::size_t Button; // SpeedButton1..7
};

const std::array<TOperatorKey, 8> OperatorKeys = {{
    {Qt::Key_Plus, 0},
    {Qt::Key_Minus, 1},
    {Qt::Key_Asterisk, 2},
    {Qt::Key_X, 2},
    {Qt::Key_Slash, 3},
    {Qt::Key_ParenLeft, 4},
    {Qt::Key_ParenRight, 5},
    {Qt::Key_Backspace, 6},
}};

const std::array<QString, 7> OperatorKeyNames = {
    u"+"_s, u"-"_s, u"* or X"_s, u"/"_s, u"("_s, u")"_s, u"Backspace"_s,
};

QString KeyDescription(const QString& key) {
    return u"key: "_s + key;
}

} // namespace

TNumKeys::TNumKeys(TNumFrm& frm)
    : QObject(&frm), FFrm(frm),
      FDigits([&frm](std::int32_t value) { return frm.Game().Usable(value); },
              [this](std::int32_t value) { EnterNumber(value); }) {
    for (const TOperatorKey& key : OperatorKeys) {
        QToolButton* button = frm.SpeedButtons[key.Button];
        const bool backspace = key.Button + 1 == frm.SpeedButtons.size();
        Bind(key.Key, button, [&frm, button, backspace] {
            if (backspace)
                frm.SpeedButton7Click();
            else
                frm.SpeedButton1Click(button);
        });
        button->setAccessibleDescription(KeyDescription(OperatorKeyNames[key.Button]));
    }
    using TClick = void (TNumFrm::*)();
    const std::array<std::tuple<Qt::Key, QAbstractButton*, TClick, QString>, 7> commands = {{
        {Qt::Key_Return, frm.OKBtn, &TNumFrm::OKBtnClick, u"Enter"_s},
        {Qt::Key_Enter, frm.OKBtn, &TNumFrm::OKBtnClick, u"Enter"_s},
        {Qt::Key_F2, frm.StartBtn, &TNumFrm::StartBtnClick, u"F2"_s},
        {Qt::Key_F3, frm.MeBtn, &TNumFrm::MeBtnClick, u"F3"_s},
        {Qt::Key_F4, frm.NULLBtn, &TNumFrm::NULLBtnClick, u"F4"_s},
        {Qt::Key_F5, frm.PCBtn, &TNumFrm::PCBtnClick, u"F5"_s},
        {Qt::Key_F6, frm.ChangeSB, &TNumFrm::ChangeSBClick, u"F6"_s},
    }};
    for (const auto& [key, control, click, name] : commands) {
        Bind(key, control, [&frm, click] { (frm.*click)(); });
        control->setAccessibleDescription(KeyDescription(name));
    }
    for (TClickPanel* panel : frm.Num)
        panel->setAccessibleDescription(u"keys: the digits of its number"_s);

    // Every control of the window passes its keys here first, so that a digit
    // typed while the memo has the focus still builds the answer.
    frm.installEventFilter(this);
    for (QWidget* control : frm.findChildren<QWidget*>())
        control->installEventFilter(this);
}

void TNumKeys::Bind(Qt::Key key, QAbstractButton* control, std::function<void()> click) {
    FCommands[key] = {control, std::move(click)};
}

bool TNumKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return KeyPress(static_cast<const QKeyEvent&>(*event));
    // A click comes after the digit typed before it.
    if (event->type() == QEvent::MouseButtonPress)
        FDigits.EndWait();
    return QObject::eventFilter(watched, event);
}

bool TNumKeys::KeyPress(const QKeyEvent& event) {
    if (FDigits.KeyPress(event))
        return true;
    const auto command = FCommands.find(event.key());
    if (command == FCommands.end() || !IsPlainKey(event))
        return false;
    const auto& [control, click] = command->second;
    if (control->isEnabled()) {
        ui::ShowPressed(control);
        click();
    }
    return true;
}

void TNumKeys::EnterNumber(std::int32_t number) {
    const QString caption = QString::number(number);
    const auto panel =
        std::find_if(FFrm.Num.begin(), FFrm.Num.end(),
                     [&caption](const TClickPanel* p) { return p->text() == caption; });
    if (panel != FFrm.Num.end())
        (*panel)->ShowPressed();
    FFrm.Game().Press(number);
}
