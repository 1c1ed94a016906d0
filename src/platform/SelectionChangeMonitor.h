#pragma once

#include <QRectF>

#include <functional>
#include <optional>

namespace quillora {

/** The handle of an installed selection change handler. */
struct SelectionChangeHandle
{
    quint64 value = 0;

    bool operator==(const SelectionChangeHandle&) const = default;
};

/**
 * Watching the text selection of other applications where the desktop does not let a background
 * program see the mouse (Wayland): every change of the focused text element's selection, and
 * every change of which element has focus, is reported. When the reports stop for a moment, the
 * user's selection gesture is over. Changes made in this process's own windows are not reported.
 * Main thread.
 */
class SelectionChangeMonitor
{
public:
    using Handler = std::function<void()>;

    SelectionChangeMonitor() = default;
    SelectionChangeMonitor(const SelectionChangeMonitor&) = delete;
    SelectionChangeMonitor& operator=(const SelectionChangeMonitor&) = delete;
    virtual ~SelectionChangeMonitor() = default;

    /** Calls `handler` on every change from now on; none when the desktop cannot report them. */
    [[nodiscard]] virtual std::optional<SelectionChangeHandle> addHandler(Handler handler) = 0;

    /** Removes the handler with this handle; an unknown or already removed handle is ignored. */
    virtual void removeHandler(SelectionChangeHandle handle) = 0;

    /**
     * The bounds of the last character of the focused element's selection, relative to the
     * top-left corner of its window (logical pixels, y growing downward), as accessibility reports
     * them on Wayland; none when nothing is selected or the application does not say. Never fails.
     */
    [[nodiscard]] virtual std::optional<QRectF> selectionEndInWindow() = 0;
};

} // namespace quillora
