#pragma once

#include "platform/Compositor.h"

#include <QByteArray>

#include <optional>

namespace quillora {

/**
 * Reads sway's layout tree (the JSON reply to GET_TREE). A view's `rect` is its container without
 * the title bar, and `window_rect` the client surface inside that rect (offset by the border), so
 * the surface's place on screen is their sum: the origin that accessibility extents on Wayland
 * are relative to. Measured with GTK 3 and Qt 6 windows, tiled and floating, with and without
 * title bars.
 */
class SwayTree final
{
public:
    /**
     * The focused view: its client surface in layout coordinates, its pid and its app id (the
     * X11 class for an Xwayland window). None when the JSON is malformed or the focus is on no view
     * (an empty workspace). A focused container leads to the view it focused last.
     */
    [[nodiscard]] static std::optional<ForeignWindow> focusedWindow(const QByteArray& treeJson);
};

} // namespace quillora
