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
    /** A filled disc with a plus cut out: add. */
    PlusCircleFill,
    /** Three short horizontal bars: a drag handle. */
    LineThreeHorizontal,
    /** A bin with a lid: delete. */
    Trash,
    /** A clock face: history. */
    Clock,
    /** A magnifying glass: search. */
    MagnifyingGlass,
    /** A filled disc with a tick cut out: granted. */
    CheckmarkCircleFill,
    /** An opening quotation mark. */
    QuoteOpening,
    /** A chip with pins: the model. */
    Cpu,
    /** A stopwatch: the response time. */
    Timer,
    /** A sheet with an arrow pointing into it: paste and replace. */
    ArrowRightDocOnClipboard,
    /** A filled disc with an upward arrow cut out: update. */
    ArrowUpCircleFill,
    /** A shield with a chequered face: permissions. */
    ShieldCheckered,
    /** Three sliders: settings of the presets. */
    SliderHorizontal3,
    /** A globe: the backend service. */
    Globe,
};

/** Draws `glyph` in `color`, fitted into the square centred in `rect`. Bold strokes for `bold`. */
void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& rect, const QColor& color, bool bold = false);

} // namespace quillora
