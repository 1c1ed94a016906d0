#include "platform/linux/x11/X11MouseMonitor.h"

#include "platform/sim/SimAppWindows.h"
#include "platform/sim/SimScreens.h"

#include <QGuiApplication>
#include <QStyleHints>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(X11MouseMonitorTest, PressesCloseInTimeAndPlaceCountAsOneMultiClickByTheDesktopsSettings)
{
    struct Press
    {
        quint64 timeMs;
        QPoint position;
        int expectedCount;
    };
    const QList<Press> presses = {
        {1000, {100, 100}, 1}, {1400, {104, 96}, 2}, // 400 ms and 4 pixels: still the same click
        {1700, {104, 96}, 3},                        // a triple click
        {2101, {104, 96}, 1},                        // 401 ms later: a new click
        {2200, {109, 96}, 1},                        // 5 pixels away: a new click
        {2300, {109, 96}, 2},  {2250, {109, 96}, 1}, // a clock that went backwards starts over
    };
    X11MouseMonitor::ClickCounter counter;
    EXPECT_EQ(counter.current(), 1);
    for (const Press& press : presses) {
        SCOPED_TRACE(press.timeMs);
        EXPECT_EQ(counter.press(press.timeMs, press.position), press.expectedCount);
        EXPECT_EQ(counter.current(), press.expectedCount);
    }

    // A desktop set to a slow double click (700 ms) and a wide distance (10 pixels).
    X11MouseMonitor::ClickCounter slow(700, 10);
    EXPECT_EQ(slow.press(1000, {100, 100}), 1);
    EXPECT_EQ(slow.press(1650, {108, 100}), 2) << "650 ms and 8 pixels are one double click here";
    EXPECT_EQ(slow.press(2400, {108, 100}), 1);

    // What the style hints say is what the monitor uses; nonsense falls back to the defaults.
    const X11MouseMonitor::ClickCounter desktop = X11MouseMonitor::ClickCounter::fromDesktopSettings();
    EXPECT_EQ(desktop.intervalMs(), static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval()));
    EXPECT_EQ(desktop.slopPixels(), QGuiApplication::styleHints()->mouseDoubleClickDistance());
    const X11MouseMonitor::ClickCounter fallback(0, -3);
    EXPECT_EQ(fallback.intervalMs(), X11MouseMonitor::ClickCounter::defaultIntervalMs);
    EXPECT_EQ(fallback.slopPixels(), X11MouseMonitor::ClickCounter::defaultSlopPixels);
}

TEST(X11MouseMonitorTest, MonitorsAreRefusedWithoutADisplay)
{
    const QByteArray display = qgetenv("DISPLAY");
    qputenv("DISPLAY", "");
    {
        SimScreens screens;
        SimAppWindows windows;
        X11MouseMonitor monitor(screens, windows);
        EXPECT_FALSE(monitor.addGlobalMonitor(MouseEventType::leftMouseUp, [](const MouseEvent&) {}));
        EXPECT_EQ(monitor.mouseLocation(), QPointF());
    }
    qputenv("DISPLAY", display);
}

} // namespace
} // namespace quillora
