#include "game/numkeys.h"

#include "game/num24.h"
#include "game/uistyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

TNumKeys::TNumKeys(TNumFrm& frm)
    : QObject(&frm), FFrm(frm),
      FDigits([&frm](std::int32_t value) { return frm.Game().Usable(value); },
              [this](std::int32_t value) { EnterNumber(value); }) {
    // The application passes every event here first, so that a key reaches the
    // game whatever control of the window holds the focus, the memo and controls
    // added later included.
    QApplication::instance()->installEventFilter(this);
}

void TNumKeys::Bind(const std::vector<Qt::Key>& keys, QAbstractButton* control,
                    const std::function<void()>& click) {
    QStringList names;
    for (Qt::Key key : keys) {
        FCommands[key] = {control, click};
        names << QKeySequence(key).toString();
    }
    control->setAccessibleDescription((names.size() > 1 ? u"keys: "_s : u"key: "_s) +
                                      names.join(u" or "_s));
}

bool TNumKeys::InWindow(const QObject* watched) const {
    if (!watched->isWidgetType())
        return false;
    const auto* widget = static_cast<const QWidget*>(watched);
    return widget == &FFrm || FFrm.isAncestorOf(widget);
}

bool TNumKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::MouseButtonPress) && InWindow(watched)) {
        if (type == QEvent::KeyPress)
            return KeyPress(static_cast<const QKeyEvent&>(*event));
        // A click comes after the digit typed before it.
        FDigits.EndWait();
    }
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
    // The first panel that holds the number stands for it; a number no panel
    // holds has no control to press.
    const auto& numbers = FFrm.Game().State().Numbers;
    const auto slot = std::find(numbers.begin(), numbers.end(), number);
    if (slot == numbers.end())
        return;
    TClickPanel* panel = FFrm.Num.at(std::size_t(slot - numbers.begin()));
    panel->ShowPressed();
    FFrm.SpeedButton1Click(panel);
}
