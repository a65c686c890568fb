#include "game/numkeys.h"

#include "game/uistyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

#include <utility>

using namespace Qt::Literals::StringLiterals;

TNumKeys::TNumKeys(QWidget& window, TTypedNumber::TUsable usable, TTypedNumber::TEnter enter)
    : QObject(&window), FWindow(window), FDigits(std::move(usable), std::move(enter)) {
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
    return widget == &FWindow || FWindow.isAncestorOf(widget);
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
