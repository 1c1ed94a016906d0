#include "platform/linux/x11/X11WindowDirectory.h"

// X11 headers come last: their macros (None, Bool, Status, KeyPress) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>

namespace quillora {

namespace {

// Reads a property of 32-bit items of `type` (window ids, cardinals). Empty when the property is
// absent, of another type, or the window is gone.
QList<unsigned long> longProperty(Display* display, Window window, const char* name, Atom type)
{
    // An atom that was never interned cannot name a property of any window.
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) {
        return {};
    }
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    constexpr long kMaximumItems = 0x10000;
    const int status = XGetWindowProperty(display, window, atom, 0, kMaximumItems, False, type, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    QList<unsigned long> values;
    if (status == Success && actualType == type && actualFormat == 32 && data != nullptr) {
        // Xlib hands 32-bit items to the client as longs, whatever the size of long.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long index = 0; index < count; ++index) {
            values.append(items[index]);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return values;
}

// Reads a UTF-8 text property; empty when absent.
QString textProperty(Display* display, Window window, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) {
        return QString();
    }
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, atom, 0, 1024, False, AnyPropertyType, &actualType,
                                          &actualFormat, &count, &remaining, &data);
    QString value;
    if (status == Success && actualFormat == 8 && data != nullptr) {
        value = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

// A client window with its owner's process id, WM_CLASS and GTK application id.
X11ClientWindow describe(Display* connection, Window id)
{
    X11ClientWindow window;
    window.id = id;
    const QList<unsigned long> pid = longProperty(connection, id, "_NET_WM_PID", XA_CARDINAL);
    if (!pid.isEmpty()) {
        window.pid = qint64(pid.first());
    }
    XClassHint hint{};
    if (XGetClassHint(connection, id, &hint) != 0) {
        window.instanceName = QString::fromLocal8Bit(hint.res_name);
        window.className = QString::fromLocal8Bit(hint.res_class);
        if (hint.res_name != nullptr) {
            XFree(hint.res_name);
        }
        if (hint.res_class != nullptr) {
            XFree(hint.res_class);
        }
    }
    window.applicationId = textProperty(connection, id, "_GTK_APPLICATION_ID");
    return window;
}

} // namespace

X11WindowDirectory::X11WindowDirectory() = default;

X11WindowDirectory::~X11WindowDirectory()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

_XDisplay* X11WindowDirectory::display()
{
    // Opening is retried on every use while it fails, so that a display that appears later (a
    // session that starts after this process) is still found.
    if (m_display == nullptr) {
        m_display = XOpenDisplay(nullptr);
    }
    return m_display;
}

QList<X11ClientWindow> X11WindowDirectory::clientWindows()
{
    Display* connection = display();
    if (connection == nullptr) {
        return {};
    }
    X11ErrorTrap trap(connection);
    QList<X11ClientWindow> windows;
    for (const unsigned long id :
         longProperty(connection, DefaultRootWindow(connection), "_NET_CLIENT_LIST", XA_WINDOW)) {
        windows.append(describe(connection, id));
    }
    return windows;
}

std::optional<X11ClientWindow> X11WindowDirectory::clientWindow(quint64 id)
{
    Display* connection = display();
    if (connection == nullptr) {
        return std::nullopt;
    }
    X11ErrorTrap trap(connection);
    X11ClientWindow window = describe(connection, Window(id));
    if (trap.failed()) {
        return std::nullopt;
    }
    return window;
}

bool X11WindowDirectory::hasInputExtensions()
{
    // The server's extensions do not change: asked once a display answers, then remembered.
    static std::optional<bool> known;
    if (known) {
        return *known;
    }
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr) {
        return false;
    }
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    int opcode = 0;
    bool present = XTestQueryExtension(connection, &event, &error, &major, &minor) != 0 &&
                   XQueryExtension(connection, "XInputExtension", &opcode, &event, &error) != 0;
    if (present) {
        major = 2;
        minor = 2;
        present = XIQueryVersion(connection, &major, &minor) == Success && major >= 2;
    }
    XCloseDisplay(connection);
    known = present;
    return present;
}

std::optional<quint64> X11WindowDirectory::activeWindow()
{
    Display* connection = display();
    if (connection == nullptr) {
        return std::nullopt;
    }
    X11ErrorTrap trap(connection);
    const QList<unsigned long> active =
        longProperty(connection, DefaultRootWindow(connection), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (active.isEmpty() || active.first() == None) {
        return std::nullopt;
    }
    return active.first();
}

} // namespace quillora
