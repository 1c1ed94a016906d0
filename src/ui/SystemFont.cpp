#include "ui/SystemFont.h"

#include <QGuiApplication>

#include <cmath>

namespace quillora {

QFont SystemFont::font(double size, QFont::Weight weight)
{
    QFont font = QGuiApplication::font();
    // Pixel sizes keep the layout independent of the screen's dots per inch, as screen points are.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setWeight(weight);
    return font;
}

} // namespace quillora
