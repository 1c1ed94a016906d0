#include "XwaylandWindows.h"

// X11 headers come last: their macros (None, Bool, Status) clash with Qt's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quillora::test {

namespace {

// Windows come and go between listing them and reading them; Xlib's default handler would exit.
int ignoreError(Display*, XErrorEvent*)
{
    return 0;
}

qint64 pidOf(Display* display, Window window)
{
    const Atom property = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &remaining, &data);
    qint64 pid = 0;
    if (data != nullptr && count == 1 && format == 32) {
        pid = qint64(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pid;
}

QString nameOf(Display* display, Window window)
{
    const Atom property = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 1024, False, utf8, &type, &format, &count, &remaining, &data);
    QString name;
    if (data != nullptr) {
        name = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        XFree(data);
    }
    char* legacy = nullptr;
    if (name.isEmpty() && XFetchName(display, window, &legacy) != 0 && legacy != nullptr) {
        name = QString::fromLocal8Bit(legacy);
        XFree(legacy);
    }
    return name;
}

} // namespace

bool XwaylandWindows::answers(const QByteArray& name)
{
    Display* display = XOpenDisplay(name.constData());
    if (display == nullptr) {
        return false;
    }
    XCloseDisplay(display);
    return true;
}

std::vector<XWindow> XwaylandWindows::of(qint64 pid)
{
    std::vector<XWindow> found;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return found;
    }
    XSetErrorHandler(ignoreError);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        for (unsigned int index = 0; index < count; ++index) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[index], &attributes) == 0 ||
                attributes.map_state != IsViewable || pidOf(display, children[index]) != pid) {
                continue;
            }
            found.push_back(XWindow{quint64(children[index]), nameOf(display, children[index]),
                                    QRect(attributes.x, attributes.y, attributes.width, attributes.height),
                                    attributes.override_redirect != 0});
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    XCloseDisplay(display);
    return found;
}

} // namespace quillora::test
