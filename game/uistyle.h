#pragma once

// The look the two windows of the game share: their colours, fonts and flat keys.

#include "common/pixelfont.h"

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

class QAbstractButton;
class QToolButton;
class QWidget;

namespace ui {

inline const QColor MoneyGreen{192, 220, 192};
inline const QColor Cream{255, 251, 240};
inline const QColor Red{255, 0, 0};
inline const QColor Fuchsia{255, 0, 255};

// Colours a control's caption; a disabled control keeps the greyed caption.
void SetTextColour(QWidget* control, QPalette::ColorRole role, const QColor& colour);

// A flat key without keyboard focus, as the operator and number keys are.
QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QRect& rect, int fontPixels);

// How long a control keeps its pressed look after a key stood in for its click.
inline constexpr int PressedLook = 100;

// Shows a button pressed for a moment, as a click would.
void ShowPressed(QAbstractButton* button);

} // namespace ui
