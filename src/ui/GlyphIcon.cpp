#include "ui/GlyphIcon.h"

#include <QPainter>
#include <QPixmap>

namespace quillora {

QIcon glyphIcon(Glyph glyph, const QColor& color, int side, bool bold)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(side * scale, side * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        drawGlyph(painter, glyph, QRectF(0, 0, side, side), color, bold);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace quillora
