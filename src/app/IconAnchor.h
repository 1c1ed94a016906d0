#pragma once

#include "platform/Compositor.h"

#include <QPointF>
#include <QRectF>

#include <optional>

namespace quillora {

/**
 * Where the icon goes for a selection noticed through accessibility events, where the desktop
 * shows no mouse presses (Wayland). All positions are in Qt's global coordinates (top-left
 * origin, y down), as compositors and accessibility report them; the caller converts the result.
 */
class IconAnchor final
{
public:
    /** What is known when a selection settles; each part may be missing. */
    struct Known
    {
        /** The pointer, where the compositor tells it. */
        std::optional<QPointF> pointer;
        /** The last selected character, relative to its window's top-left corner. */
        std::optional<QRectF> selectionEndInWindow;
        /** The window holding the selection, where the compositor tells it. */
        std::optional<ForeignWindow> window;
        /** The screen to fall back on when nothing else is known. */
        std::optional<QRectF> screen;
    };

    /**
     * The point the icon is shown beside: the pointer where known (as when the mouse is watched);
     * else the end of the selection on screen (its window's position plus the character's bounds,
     * at the character's right edge and middle); else beside the window's top edge; else at the top
     * of the screen. None when nothing at all is known: the icon is never shown at a stale place.
     */
    [[nodiscard]] static std::optional<QPointF> place(const Known& known);
};

} // namespace quillora
