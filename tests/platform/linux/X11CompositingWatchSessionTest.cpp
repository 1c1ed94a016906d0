// Floating windows on an X11 desktop without a compositing manager (openbox composites nothing):
// the watch sees no owner of the compositing selection, follows one that comes and goes, and the
// windows take the shape of what they draw instead of showing black around it.
#include "DesktopDriver.h"
#include "platform/AppWindows.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/linux/x11/X11CompositingWatch.h"
#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/OfflineCardActions.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include <gtest/gtest.h>

// After the test framework: Xlib defines None, a name the framework uses.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace quillora::test {
namespace {

// The window's bounding shape as the X server holds it, in device pixels.
QRegion serverShape(quintptr window)
{
    Display* display = XOpenDisplay(nullptr);
    int count = 0;
    int ordering = 0;
    QRegion region;
    XRectangle* rects = XShapeGetRectangles(display, Window(window), ShapeBounding, &count, &ordering);
    for (int i = 0; i < count; ++i) {
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    }
    XFree(rects);
    XCloseDisplay(display);
    return region;
}

TEST(X11CompositingWatchSessionTest, WindowsAreShapedWithoutACompositingManagerAndTheWatchFollowsOneThatComes)
{
    X11CompositingWatch watch;
    EXPECT_FALSE(watch.isCompositing()) << "openbox runs no compositing manager";

    // A compositing manager is whoever owns the selection; another client takes it, then leaves.
    Display* manager = XOpenDisplay(nullptr);
    ASSERT_NE(manager, nullptr);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(manager));
    const Window owner = XCreateSimpleWindow(manager, DefaultRootWindow(manager), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(manager, XInternAtom(manager, name.constData(), False), owner, CurrentTime);
    XSync(manager, False);
    EXPECT_TRUE(waitFor([&] { return watch.isCompositing(); }, 5000)) << "the new owner went unnoticed";
    XCloseDisplay(manager);
    EXPECT_TRUE(waitFor([&] { return !watch.isCompositing(); }, 5000)) << "the owner's exit went unnoticed";

    const std::unique_ptr<Platform> platform = createPlatform(QStringLiteral("linux"));
    Platform::setCurrent(platform.get());
    EXPECT_FALSE(platform->appWindows().windowsAreComposited());
    {
        const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
        FloatingIconWindow icon;
        icon.showAt(QPointF(300, 300));
        EXPECT_TRUE(icon.isShaped());
        ASSERT_TRUE(waitFor([&] { return !serverShape(icon.winId()).isEmpty(); }, 5000));
        const QRegion iconShape = serverShape(icon.winId());
        EXPECT_TRUE(iconShape.contains((QPointF(32, 32) * ratio).toPoint()));
        EXPECT_FALSE(iconShape.contains(QPoint(1, 1))) << "the corners of the square are not the window's";
        EXPECT_FALSE(iconShape.contains((QPointF(32, 5) * ratio).toPoint()));

        OfflineCardActions cardActions(*platform);
        FloatingResultsWindow panel(cardActions.actions);
        panel.showAt(QPointF(300, 300));
        EXPECT_EQ(panel.size(), QSize(320, 420)) << "no translucent margin";
        ASSERT_TRUE(waitFor([&] { return !serverShape(panel.winId()).isEmpty(); }, 5000));
        const QRegion panelShape = serverShape(panel.winId());
        EXPECT_TRUE(panelShape.contains((QPointF(160, 2) * ratio).toPoint()));
        EXPECT_FALSE(panelShape.contains(QPoint(0, 0))) << "a rounded corner";
        EXPECT_FALSE(panelShape.contains((QPointF(320 - 1, 420 - 1) * ratio).toPoint()));
    }
    Platform::setCurrent(nullptr);
}

} // namespace
} // namespace quillora::test
