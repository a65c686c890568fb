#pragma once

#include <QFont>

namespace ui {

// The windows' font at a height in pixels. The first family is the one the windows
// were drawn with; where it is missing, a sans font that also carries Chinese
// glyphs stands in, so the captions never turn into empty boxes.
QFont PixelFont(int pixels);

} // namespace ui
