#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace quillora {

/** The small symbols of the floating windows, drawn as painter paths so they need no icon theme. */
enum class Glyph {
    /** An I-beam text cursor with curved serifs. */
    TextCursor,
    /** One large and two small four-pointed stars. */
    Sparkles,
    /** A filled warning triangle with an exclamation mark cut out. */
    ExclamationTriangle,
    /** Two overlapping sheets: copy. */
    DocOnDoc,
    /** A tick: done. */
    Checkmark,
};

/** Draws `glyph` in `color`, fitted into the square centred in `rect`. Bold strokes for `bold`. */
void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& rect, const QColor& color, bool bold = false);

} // namespace quillora
