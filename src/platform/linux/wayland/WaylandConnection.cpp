#include "platform/linux/wayland/WaylandConnection.h"

#include <QDeadlineTimer>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <wayland-client.h>

namespace quillora {

struct RegistryEvents
{
    static void add(void* data, wl_registry*, uint32_t name, const char* interfaceName, uint32_t version)
    {
        static_cast<WaylandConnection*>(data)->m_globals.append({name, QByteArray(interfaceName), version});
    }

    static void remove(void* data, wl_registry*, uint32_t name)
    {
        static_cast<WaylandConnection*>(data)->m_globals.removeIf(
            [name](const WaylandConnection::Global& global) { return global.name == name; });
    }
};

namespace {

const wl_registry_listener kRegistryListener{RegistryEvents::add, RegistryEvents::remove};

void syncDone(void* data, wl_callback*, uint32_t)
{
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener kSyncListener{syncDone};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(int timeoutMs, const QByteArray& displayName)
{
    wl_display* display = wl_display_connect(displayName.isEmpty() ? nullptr : displayName.constData());
    if (display == nullptr) {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display, wl_display_get_registry(display)));
    wl_registry_add_listener(connection->m_registry, &kRegistryListener, connection.get());
    if (!connection->roundtrip(timeoutMs)) {
        return nullptr;
    }
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display, wl_registry* registry)
    : m_display(display)
    , m_registry(registry)
{
}

WaylandConnection::~WaylandConnection()
{
    m_notifier.reset();
    wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

std::optional<WaylandConnection::Global> WaylandConnection::global(const char* interfaceName,
                                                                   quint32 minimumVersion) const
{
    for (const Global& global : m_globals) {
        if (global.interfaceName == interfaceName && global.version >= minimumVersion) {
            return global;
        }
    }
    return std::nullopt;
}

void* WaylandConnection::bind(const Global& global, const wl_interface* interface, quint32 version)
{
    return wl_registry_bind(m_registry, global.name, interface, std::min(version, global.version));
}

bool WaylandConnection::roundtrip(int timeoutMs)
{
    bool done = false;
    wl_callback* sync = wl_display_sync(m_display);
    wl_callback_add_listener(sync, &kSyncListener, &done);
    const QDeadlineTimer deadline(timeoutMs);
    bool answered = true;
    while (!done && answered) {
        if (wl_display_prepare_read(m_display) != 0) {
            answered = wl_display_dispatch_pending(m_display) >= 0;
            continue;
        }
        wl_display_flush(m_display);
        // Polled with a deadline rather than read blocking: a stalled compositor must not hang us.
        pollfd descriptor{wl_display_get_fd(m_display), POLLIN, 0};
        const int ready = poll(&descriptor, 1, int(deadline.remainingTime()));
        if (ready <= 0) {
            wl_display_cancel_read(m_display);
            answered = ready < 0 && errno == EINTR;
            continue;
        }
        answered = wl_display_read_events(m_display) >= 0 && wl_display_dispatch_pending(m_display) >= 0;
    }
    // Destroyed before its event if it never came: the late event is then ignored.
    wl_callback_destroy(sync);
    return done;
}

bool WaylandConnection::flush()
{
    return wl_display_flush(m_display) >= 0 || errno == EAGAIN;
}

void WaylandConnection::dispatchFromEventLoop()
{
    if (m_notifier) {
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(m_display), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readAvailable(); });
    // Events read during an earlier round trip wait in the queue; the notifier would not see them.
    wl_display_dispatch_pending(m_display);
    flush();
}

void WaylandConnection::readAvailable()
{
    if (wl_display_prepare_read(m_display) == 0) {
        // The notifier said readable, so this does not block.
        wl_display_read_events(m_display);
    }
    wl_display_dispatch_pending(m_display);
    flush();
    if (!isUsable()) {
        m_notifier->setEnabled(false);
    }
}

bool WaylandConnection::isUsable() const
{
    return wl_display_get_error(m_display) == 0;
}

} // namespace quillora
