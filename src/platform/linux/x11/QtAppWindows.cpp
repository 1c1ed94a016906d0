#include "platform/linux/x11/QtAppWindows.h"

#include "platform/Screens.h"
#include "platform/linux/x11/X11CompositingWatch.h"
#include "platform/linux/x11/X11FloatingRaiser.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shapeconst.h>

#include <algorithm>
#include <vector>

namespace quillora {

namespace {

Display* x11Display()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        application != nullptr ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

/** The child of the root that holds `window`: the window itself, or the window manager's frame around it. */
Window topLevelAncestor(Display* display, Window root, Window window)
{
    while (window != None) {
        Window rootOfTree = None;
        Window parent = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &rootOfTree, &parent, &children, &count) == 0) {
            return None;
        }
        if (children != nullptr) {
            XFree(children);
        }
        if (parent == root) {
            return window;
        }
        window = parent;
    }
    return None;
}

} // namespace

QtAppWindows::QtAppWindows(const Screens& screens, FloatingWindows floating)
    : m_screens(screens)
    , m_floating(floating)
{
    if (m_floating == FloatingWindows::bypassWindowManager) {
        m_raiser = std::make_unique<X11FloatingRaiser>();
    }
}

QtAppWindows::~QtAppWindows() = default;

bool QtAppWindows::windowsAreComposited()
{
    if (m_floating == FloatingWindows::bypassWindowManager) {
        return true;
    }
    if (!m_compositing) {
        m_compositing = std::make_unique<X11CompositingWatch>();
    }
    return m_compositing->isCompositing();
}

QList<AppWindowInfo> QtAppWindows::windows() const
{
    QList<AppWindowInfo> result;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return result;
    }
    const ScreenCoordinates coordinates = m_screens.coordinates();
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        AppWindowInfo info;
        info.isVisible = window->isVisible();
        info.isMiniaturized = window->windowStates().testFlag(Qt::WindowMinimized);
        info.isPanel = window->type() == Qt::Tool || window->type() == Qt::ToolTip;
        info.frame = coordinates.fromQt(QRectF(window->frameGeometry()));
        info.contentRect = coordinates.fromQt(QRectF(window->geometry()));
        result.append(info);
    }
    return result;
}

bool QtAppWindows::isFrontmostAt(QPointF location) const
{
    Display* display = x11Display();
    if (display == nullptr) {
        return AppWindows::isFrontmostAt(location);
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPointF pixels =
        m_screens.coordinates().toQt(location) * (screen != nullptr ? screen->devicePixelRatio() : 1);
    const Window root = DefaultRootWindow(display);
    int x = 0;
    int y = 0;
    Window top = None;
    if (XTranslateCoordinates(display, root, root, int(pixels.x()), int(pixels.y()), &x, &y, &top) == 0 ||
        top == None) {
        return false;
    }
    const QList<QWindow*> ours = QGuiApplication::topLevelWindows();
    return std::any_of(ours.cbegin(), ours.cend(), [display, root, top](const QWindow* window) {
        return window->isVisible() && window->handle() != nullptr &&
               topLevelAncestor(display, root, static_cast<Window>(window->winId())) == top;
    });
}

void QtAppWindows::setInputRegion(quintptr windowId, const QList<QRect>& rects)
{
    Display* display = x11Display();
    if (display == nullptr || windowId == 0) {
        return;
    }
    std::vector<XRectangle> shape;
    shape.reserve(static_cast<std::size_t>(rects.size()));
    for (const QRect& rect : rects) {
        shape.push_back(XRectangle{static_cast<short>(rect.x()), static_cast<short>(rect.y()),
                                   static_cast<unsigned short>(rect.width()),
                                   static_cast<unsigned short>(rect.height())});
    }
    const XserverRegion region = XFixesCreateRegion(display, shape.data(), static_cast<int>(shape.size()));
    XFixesSetWindowShapeRegion(display, static_cast<Window>(windowId), ShapeInput, 0, 0, region);
    XFixesDestroyRegion(display, region);
    XFlush(display);
}

} // namespace quillora
