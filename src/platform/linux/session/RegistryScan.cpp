#include "platform/linux/session/RegistryScan.h"

#include <QDeadlineTimer>

#include <cerrno>
#include <memory>

#include <poll.h>
#include <wayland-client.h>

namespace quillora {

namespace {

struct Scan
{
    QStringList globals;
    bool done = false;
};

void addGlobal(void* data, wl_registry*, uint32_t, const char* interfaceName, uint32_t)
{
    static_cast<Scan*>(data)->globals.append(QString::fromLatin1(interfaceName));
}

void removeGlobal(void*, wl_registry*, uint32_t)
{
}

const wl_registry_listener kRegistryListener{addGlobal, removeGlobal};

void syncDone(void* data, wl_callback*, uint32_t)
{
    static_cast<Scan*>(data)->done = true;
}

const wl_callback_listener kSyncListener{syncDone};

// Reads and dispatches events until the scan is done; false on a broken connection or when the
// deadline passes first. A stalled compositor never blocks this for longer than the deadline.
bool dispatchUntilDone(wl_display* display, const Scan& scan, const QDeadlineTimer& deadline)
{
    while (!scan.done) {
        if (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) {
                return false;
            }
            continue;
        }
        wl_display_flush(display);
        pollfd descriptor{wl_display_get_fd(display), POLLIN, 0};
        const int ready = poll(&descriptor, 1, int(deadline.remainingTime()));
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<QStringList> RegistryScan::globals(const QString& displayName, int timeoutMs)
{
    const QByteArray name = displayName.isEmpty() ? QByteArrayLiteral("wayland-0") : displayName.toLocal8Bit();
    const std::unique_ptr<wl_display, void (*)(wl_display*)> display(wl_display_connect(name.constData()),
                                                                     wl_display_disconnect);
    if (!display) {
        return std::nullopt;
    }
    Scan scan;
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &kRegistryListener, &scan);
    wl_callback* sync = wl_display_sync(display.get());
    wl_callback_add_listener(sync, &kSyncListener, &scan);
    const bool answered = dispatchUntilDone(display.get(), scan, QDeadlineTimer(timeoutMs));
    wl_callback_destroy(sync);
    wl_registry_destroy(registry);
    if (!answered) {
        return std::nullopt;
    }
    return scan.globals;
}

} // namespace quillora
