#pragma once

#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace quillora::test {

class VirtualPointer;
class WaylandSession;

/** A window the compositor shows, native Wayland or Xwayland. */
struct WindowOnScreen
{
    qint64 pid = 0;
    QString title;
    /** Where the window's surface lies on screen: the origin of the coordinates its toolkit reports. */
    QRect surface;
    bool focused = false;
};

/**
 * The windows in a compositor script's answer: a JSON array of objects with "pid", "title", "x",
 * "y", "width", "height" (the surface's rectangle) and "focused". Empty without an answer.
 */
[[nodiscard]] std::vector<WindowOnScreen> windowsFromScript(const std::optional<QString>& answer);

/**
 * A headless Wayland compositor with Xwayland, started in a test session, with what the tests
 * need of it that Wayland itself does not offer clients: where windows are, which one has focus,
 * and a pointer that plays the user's.
 */
class Compositor
{
public:
    virtual ~Compositor() = default;
    Compositor() = default;
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

    /** The compositor's name in messages. */
    [[nodiscard]] virtual QString name() const = 0;

    /**
     * Starts the compositor in `session` and adds WAYLAND_DISPLAY, DISPLAY (Xwayland) and what else
     * its clients read to the session's environment. Returns why it could not start (the tests
     * then skip), or an empty string.
     */
    [[nodiscard]] virtual QString start(WaylandSession& session) = 0;

    /** The windows on screen; empty when the compositor does not answer. */
    [[nodiscard]] virtual std::vector<WindowOnScreen> windows() = 0;

    /** The seat's pointer, alive as long as the compositor. */
    [[nodiscard]] virtual VirtualPointer& pointer() = 0;

    /** The first window of `pid` on screen, if it shows one. */
    [[nodiscard]] std::optional<WindowOnScreen> windowOf(qint64 pid);
    /** The process whose window has keyboard focus; none when no window has. */
    [[nodiscard]] std::optional<qint64> focusedPid();
};

} // namespace quillora::test
