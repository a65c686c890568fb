#include "common/pixelfont.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace ui {

QFont PixelFont(int pixels) {
    QFont font;
    font.setFamilies({u"MS Sans Serif"_s, u"WenQuanYi Micro Hei"_s, u"Noto Sans CJK SC"_s});
    font.setPixelSize(pixels);
    return font;
}

} // namespace ui
