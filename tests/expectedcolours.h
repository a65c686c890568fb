#pragma once

#include <QColor>

// The windows' colours as they were designed, written out independently of the
// code that paints them.
namespace expected {

inline const QColor MoneyGreen(192, 220, 192);
inline const QColor Cream(255, 251, 240);
inline const QColor SkyBlue(166, 202, 240);
inline const QColor Red(255, 0, 0);
inline const QColor Fuchsia(255, 0, 255);

} // namespace expected
