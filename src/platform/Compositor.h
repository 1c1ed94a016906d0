#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace quillora {

/**
 * Another application's top-level window as the window system reports it. The frame is the
 * window's client surface (decorations drawn by the compositor left out, those a toolkit draws
 * itself included), in Qt's global coordinates (logical pixels, origin at the top-left corner of
 * the virtual desktop, y growing downward): accessibility reports positions relative to it.
 */
struct ForeignWindow
{
    QRectF frame;
    /** The owning process; -1 when the window system does not say. */
    qint64 pid = -1;
    /** The application's identifier (Wayland app id or X11 class); empty when unknown. */
    QString appId;

    bool operator==(const ForeignWindow&) const = default;
};

/**
 * What a Wayland compositor tells a background client about the pointer and other applications'
 * windows, where it tells anything: sway over its IPC socket, KWin through a script. Both answers
 * may take a round trip to the compositor, so they are asynchronous. Main thread.
 */
class Compositor
{
public:
    Compositor() = default;
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;
    virtual ~Compositor() = default;

    /**
     * Where the pointer is now, in Qt's global coordinates; none where the compositor does not
     * tell (sway) or does not answer in time. Never fails.
     */
    [[nodiscard]] virtual QCoro::Task<std::optional<QPointF>> pointerLocation() = 0;

    /** The window that has keyboard focus now; none where the compositor does not tell. Never fails. */
    [[nodiscard]] virtual QCoro::Task<std::optional<ForeignWindow>> focusedWindow() = 0;
};

} // namespace quillora
