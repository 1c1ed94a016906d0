#include "platform/linux/QtAppWindows.h"

#include "platform/Screens.h"

#include <QGuiApplication>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shapeconst.h>

#include <vector>

namespace quillora {

QtAppWindows::QtAppWindows(const Screens& screens)
    : m_screens(screens)
{
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
        info.isPanel = window->type() == Qt::Tool;
        info.frame = coordinates.fromQt(QRectF(window->frameGeometry()));
        info.contentRect = coordinates.fromQt(QRectF(window->geometry()));
        result.append(info);
    }
    return result;
}

void QtAppWindows::setInputRegion(quintptr windowId, const QList<QRect>& rects)
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const auto* x11 =
        application != nullptr ? application->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
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
