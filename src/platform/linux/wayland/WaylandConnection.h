#pragma once

#include <QByteArray>
#include <QList>

#include <memory>
#include <optional>

class QSocketNotifier;
struct wl_display;
struct wl_interface;
struct wl_registry;

namespace quillora {

/**
 * A connection of this process's own to the Wayland compositor ($WAYLAND_DISPLAY), with the
 * globals it offers. Once `dispatchFromEventLoop` is called, events are read and dispatched from
 * the Qt event loop as they arrive. Main thread; one per object that talks Wayland.
 */
class WaylandConnection final
{
public:
    /** A global the compositor offers. */
    struct Global
    {
        quint32 name = 0;
        QByteArray interfaceName;
        quint32 version = 0;
    };

    /**
     * Connects to the display `displayName` (empty: $WAYLAND_DISPLAY) and lists the globals in one
     * round trip. Null when there is no display to reach, or it does not answer within `timeoutMs`.
     */
    [[nodiscard]] static std::unique_ptr<WaylandConnection> open(int timeoutMs, const QByteArray& displayName = {});

    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;
    ~WaylandConnection();

    [[nodiscard]] wl_display* display() const { return m_display; }

    /** Every global the compositor offered when the connection was opened. */
    [[nodiscard]] const QList<Global>& globals() const { return m_globals; }

    /** The global of that interface offered with at least `minimumVersion`; none otherwise. */
    [[nodiscard]] std::optional<Global> global(const char* interfaceName, quint32 minimumVersion = 1) const;

    /**
     * Binds `global` as `interface` at `version` (at most the offered one); the caller casts the
     * proxy to its type and destroys it. Never fails here: a refusal arrives as a protocol error.
     */
    [[nodiscard]] void* bind(const Global& global, const wl_interface* interface, quint32 version);

    /**
     * Sends what is queued and waits until the compositor has answered everything sent before,
     * dispatching the events that arrive meanwhile. False when the connection broke or the answer
     * did not come within `timeoutMs`.
     */
    bool roundtrip(int timeoutMs);

    /** Sends the queued requests without waiting. False when the connection broke. */
    bool flush();

    /** From now on, reads and dispatches events whenever the connection has some. */
    void dispatchFromEventLoop();

    /** False once the connection broke (the compositor went away or raised a protocol error). */
    [[nodiscard]] bool isUsable() const;

private:
    WaylandConnection(wl_display* display, wl_registry* registry);
    void readAvailable();

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    QList<Global> m_globals;
    std::unique_ptr<QSocketNotifier> m_notifier;

    friend struct RegistryEvents;
};

} // namespace quillora
