#include "game/uistyle.h"

#include <QTimer>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace ui {

void SetTextColour(QWidget* control, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    control->setPalette(palette);
}

QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QRect& rect, int fontPixels) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setGeometry(rect);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFont(PixelFont(fontPixels));
    return button;
}

void ShowPressed(QAbstractButton* button) {
    button->setDown(true);
    QTimer::singleShot(PressedLook, button, [button] { button->setDown(false); });
}

} // namespace ui
