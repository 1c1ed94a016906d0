#include "platform/sim/SimMouse.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(SimMouseTest, MonitorsSeeTheirOwnEventTypeInInstallationOrder)
{
    SimMouse mouse;
    QStringList seen;
    const auto down = mouse.addGlobalMonitor(MouseEventType::leftMouseDown, [&seen](const MouseEvent& event) {
        seen
            << QStringLiteral("down %1 at %2,%3").arg(event.clickCount).arg(event.location.x()).arg(event.location.y());
    });
    const auto up = mouse.addGlobalMonitor(MouseEventType::leftMouseUp, [&seen](const MouseEvent& event) {
        seen << QStringLiteral("up %1 at %2,%3").arg(event.clickCount).arg(event.location.x()).arg(event.location.y());
    });
    ASSERT_TRUE(down && up);

    mouse.drag({1, 2}, {30, 40});
    mouse.doubleClick({5, 5});

    const QStringList expected = {QStringLiteral("down 1 at 1,2"), QStringLiteral("up 1 at 30,40"),
                                  QStringLiteral("down 1 at 5,5"), QStringLiteral("up 1 at 5,5"),
                                  QStringLiteral("down 2 at 5,5"), QStringLiteral("up 2 at 5,5")};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(mouse.mouseLocation(), QPointF(5, 5));
}

TEST(SimMouseTest, MonitorRemovedDuringDeliveryIsNotCalledAndRefusalInstallsNothing)
{
    SimMouse mouse;
    int laterCalls = 0;
    std::optional<MouseMonitorHandle> later;
    const auto first =
        mouse.addGlobalMonitor(MouseEventType::leftMouseUp, [&](const MouseEvent&) { mouse.removeMonitor(*later); });
    later = mouse.addGlobalMonitor(MouseEventType::leftMouseUp, [&laterCalls](const MouseEvent&) { ++laterCalls; });

    mouse.click({0, 0});
    EXPECT_EQ(laterCalls, 0);
    EXPECT_EQ(mouse.monitorCount(), 1);

    mouse.setRefusesMonitors(true);
    EXPECT_FALSE(mouse.addGlobalMonitor(MouseEventType::leftMouseDown, [](const MouseEvent&) {}));
    EXPECT_EQ(mouse.monitorCount(), 1);
    mouse.removeMonitor(*first);
    mouse.removeMonitor(*first);
    EXPECT_EQ(mouse.monitorCount(), 0);
}

} // namespace
} // namespace quillora
