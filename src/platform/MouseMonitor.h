#pragma once

#include <QPointF>

#include <functional>
#include <optional>

namespace quillora {

/** The left-button transitions a global monitor can watch. */
enum class MouseEventType {
    leftMouseDown,
    leftMouseUp,
};

/**
 * One left-button press or release seen by a global monitor. The location is in screen points: points, origin at the
 * bottom-left corner of the primary screen, y growing upward.
 */
struct MouseEvent
{
    MouseEventType type = MouseEventType::leftMouseDown;
    /** 1 for a single click, 2 for the second press and release of a double click, 3 for a triple click. */
    int clickCount = 1;
    QPointF location;

    bool operator==(const MouseEvent&) const = default;
};

/** The handle of an installed global monitor. */
struct MouseMonitorHandle
{
    quint64 value = 0;

    bool operator==(const MouseMonitorHandle&) const = default;
};

/**
 * System-wide watching of the left mouse button: monitors see the presses and releases the user
 * makes in other applications (never those made in this application's own windows) and are
 * called on the main thread. Also reports where the pointer is.
 */
class MouseMonitor
{
public:
    using Handler = std::function<void(const MouseEvent&)>;

    MouseMonitor() = default;
    MouseMonitor(const MouseMonitor&) = delete;
    MouseMonitor& operator=(const MouseMonitor&) = delete;
    virtual ~MouseMonitor() = default;

    /**
     * Installs a monitor that calls `handler` for every event of `type` made in another
     * application. Returns its handle, or none when the platform refuses (for example without a
     * display or without the input extension); nothing is installed then.
     */
    [[nodiscard]] virtual std::optional<MouseMonitorHandle> addGlobalMonitor(MouseEventType type, Handler handler) = 0;

    /** Removes the monitor with this handle; an unknown or already removed handle is ignored. */
    virtual void removeMonitor(MouseMonitorHandle handle) = 0;

    /** The pointer's current location in screen points; the origin when it is unknown. */
    [[nodiscard]] virtual QPointF mouseLocation() const = 0;
};

} // namespace quillora
