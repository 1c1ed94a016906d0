#include "app/IconAnchor.h"

namespace quillora {

namespace {

// How far below a window's or screen's top edge the icon goes when nothing better is known: clear
// of a title bar, close enough to be seen with the window.
constexpr double kBelowTopEdge = 8;

} // namespace

std::optional<QPointF> IconAnchor::place(const Known& known)
{
    if (known.pointer) {
        return known.pointer;
    }
    if (known.window && known.selectionEndInWindow) {
        const QRectF& end = *known.selectionEndInWindow;
        // Bounds outside the window are a toolkit's error (some report screen coordinates of
        // another origin); they would put the icon far from the text.
        const QRectF local(QPointF(0, 0), known.window->frame.size());
        if (local.intersects(end) || (end.width() == 0 && local.contains(end.topLeft()))) {
            return known.window->frame.topLeft() + QPointF(end.right(), end.center().y());
        }
    }
    if (known.window) {
        const QRectF& frame = known.window->frame;
        return QPointF(frame.center().x(), frame.top() + kBelowTopEdge);
    }
    if (known.screen) {
        return QPointF(known.screen->center().x(), known.screen->top() + kBelowTopEdge);
    }
    return std::nullopt;
}

} // namespace quillora
