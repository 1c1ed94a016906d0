// Which window a press at a point hits, asked of the X server: one of ours only while no other
// application's window lies over it.
#include "DesktopDriver.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/x11/QtAppWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

// After the test framework: Xlib defines None, a name the framework uses.
#include <X11/Xlib.h>

namespace quillora::test {
namespace {

TEST(QtAppWindowsSessionTest, OurWindowIsFrontmostOnlyWhereNoOtherWindowCoversIt)
{
    QtScreens screens;
    QtAppWindows appWindows(screens);
    QWidget own;
    own.setGeometry(200, 200, 300, 200);
    own.show();
    const QPointF centre = screens.coordinates().fromQt(QRectF(own.geometry()).center());
    ASSERT_TRUE(waitFor([&] { return appWindows.isFrontmostAt(centre); }, 5000)) << "our window never showed";
    EXPECT_FALSE(appWindows.isFrontmostAt(screens.coordinates().fromQt(QPointF(5, 5))));

    // Another application's window over ours, placed where it asks to be.
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    const Window cover = XCreateWindow(other, DefaultRootWindow(other), int(150 * ratio), int(150 * ratio),
                                       unsigned(500 * ratio), unsigned(400 * ratio), 0, CopyFromParent, InputOutput,
                                       CopyFromParent, CWOverrideRedirect, &attributes);
    XMapRaised(other, cover);
    XSync(other, False);
    EXPECT_TRUE(waitFor([&] { return !appWindows.isFrontmostAt(centre); }, 5000))
        << "a window of another application over ours did not count";

    XUnmapWindow(other, cover);
    XSync(other, False);
    EXPECT_TRUE(waitFor([&] { return appWindows.isFrontmostAt(centre); }, 5000));
    XDestroyWindow(other, cover);
    XCloseDisplay(other);
}

} // namespace
} // namespace quillora::test
