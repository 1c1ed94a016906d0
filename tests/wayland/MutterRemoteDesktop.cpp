#include "MutterRemoteDesktop.h"

#include "support/WaitFor.h"

// GIO names a structure member "signals", which Qt defines as a keyword.
#undef signals
#include <gio/gio.h>

#include <X11/keysym.h>
#include <linux/input-event-codes.h>

namespace quillora::test {

namespace {

const char* const kService = "org.gnome.Mutter.RemoteDesktop";
const char* const kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr int kCallTimeoutMs = 5000;
// Far enough to reach the top-left corner from anywhere on the screen.
constexpr double kToCorner = -100000;

} // namespace

MutterRemoteDesktop::MutterRemoteDesktop(GDBusConnection* bus, QSize screen, PointerReader pointerAt)
    : m_bus(bus)
    , m_screen(screen)
    , m_pointerAt(std::move(pointerAt))
{
}

std::unique_ptr<MutterRemoteDesktop> MutterRemoteDesktop::create(GDBusConnection* bus, QSize screen,
                                                                 PointerReader pointerAt)
{
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, kService, "/org/gnome/Mutter/RemoteDesktop", kService,
                                                  "CreateSession", nullptr, G_VARIANT_TYPE("(o)"),
                                                  G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &error);
    if (reply == nullptr) {
        g_error_free(error);
        return nullptr;
    }
    std::unique_ptr<MutterRemoteDesktop> desktop(new MutterRemoteDesktop(bus, screen, std::move(pointerAt)));
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    desktop->m_session = path;
    g_variant_unref(reply);
    if (!desktop->call("Start", nullptr)) {
        return nullptr;
    }
    // Mutter makes each virtual device on its first event, and that event can be lost: one of each
    // kind goes first, in the bottom-right corner, where a click meets only the background.
    const bool warmedUp = desktop->call("NotifyPointerMotionRelative", g_variant_new("(dd)", -kToCorner, -kToCorner)) &&
                          desktop->button(true) && desktop->button(false) && desktop->key(XK_Shift_L, true) &&
                          desktop->key(XK_Shift_L, false);
    pause(500);
    if (!warmedUp || !desktop->call("NotifyPointerMotionRelative", g_variant_new("(dd)", kToCorner, kToCorner)) ||
        !waitFor([&] { return desktop->m_pointerAt() == QPoint(0, 0); }, kCallTimeoutMs)) {
        return nullptr;
    }
    desktop->m_position = QPoint(0, 0);
    return desktop;
}

MutterRemoteDesktop::~MutterRemoteDesktop()
{
    static_cast<void>(call("Stop", nullptr));
}

bool MutterRemoteDesktop::call(const char* method, GVariant* parameters)
{
    GError* error = nullptr;
    GVariant* reply =
        g_dbus_connection_call_sync(m_bus, kService, m_session.constData(), kSessionInterface, method, parameters,
                                    nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &error);
    if (reply == nullptr) {
        g_error_free(error);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

bool MutterRemoteDesktop::moveTo(QPoint point)
{
    // The screen's edges stop the pointer: a target beyond them would put the tracking off.
    const QPoint target(qBound(0, point.x(), m_screen.width() - 1), qBound(0, point.y(), m_screen.height() - 1));
    const QPoint delta = target - m_position;
    if (!call("NotifyPointerMotionRelative", g_variant_new("(dd)", double(delta.x()), double(delta.y())))) {
        return false;
    }
    m_position = target;
    return waitFor([&] { return m_pointerAt() == target; }, kCallTimeoutMs);
}

bool MutterRemoteDesktop::button(bool pressed)
{
    return call("NotifyPointerButton", g_variant_new("(ib)", gint32(BTN_LEFT), gboolean(pressed)));
}

bool MutterRemoteDesktop::key(uint32_t keysym, bool pressed)
{
    return call("NotifyKeyboardKeysym", g_variant_new("(ub)", guint32(keysym), gboolean(pressed)));
}

bool MutterRemoteDesktop::press()
{
    return button(true);
}

bool MutterRemoteDesktop::release()
{
    return button(false);
}

bool MutterRemoteDesktop::pressCombination(const std::vector<uint32_t>& keysyms)
{
    for (const uint32_t keysym : keysyms) {
        if (!key(keysym, true)) {
            return false;
        }
    }
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym) {
        if (!key(*keysym, false)) {
            return false;
        }
    }
    return true;
}

} // namespace quillora::test
