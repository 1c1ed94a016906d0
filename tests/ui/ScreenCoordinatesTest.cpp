#include "platform/ScreenCoordinates.h"
#include "platform/Platform.h"
#include "platform/linux/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(ScreenCoordinatesTest, FlipsYAroundThePrimaryScreensBottomEdge)
{
    struct Case
    {
        QRectF primary;
        QPointF design;
        QPointF qt;
    };
    const Case cases[] = {
        {QRectF(0, 0, 1920, 1080), {0, 0}, {0, 1080}},
        {QRectF(0, 0, 1920, 1080), {100, 1080}, {100, 0}},
        {QRectF(0, 0, 1920, 1080), {-300, -20}, {-300, 1100}},
        // A primary screen that Qt's virtual desktop puts right of and below another one.
        {QRectF(1280, 200, 1920, 1080), {0, 0}, {1280, 1280}},
        {QRectF(1280, 200, 1920, 1080), {-1280, 1080}, {0, 200}},
    };
    for (const Case& c : cases) {
        const ScreenCoordinates coordinates(c.primary);
        EXPECT_EQ(coordinates.toQt(c.design), c.qt);
        EXPECT_EQ(coordinates.fromQt(c.qt), c.design);
    }
    const ScreenCoordinates coordinates(QRectF(0, 0, 1920, 1080));
    // A 64-point window whose bottom-left corner is at design (120, 495) has its Qt top-left at 521.
    EXPECT_EQ(coordinates.toQt(QRectF(120, 495, 64, 64)), QRectF(120, 521, 64, 64));
    EXPECT_EQ(coordinates.fromQt(QRectF(120, 521, 64, 64)), QRectF(120, 495, 64, 64));
}

TEST(ScreenCoordinatesTest, MouseInRectCountsLeftAndBottomEdgesOnly)
{
    const QRectF rect(10, 20, 30, 40);
    struct Case
    {
        QPointF point;
        bool inside;
    };
    for (const Case& c : {Case{{10, 20}, true}, Case{{39.99, 59.99}, true}, Case{{40, 30}, false},
                          Case{{20, 60}, false}, Case{{9.99, 30}, false}, Case{{20, 19.99}, false}}) {
        EXPECT_EQ(mouseInRect(c.point, rect), c.inside) << c.point.x() << ", " << c.point.y();
    }
    EXPECT_FALSE(mouseInRect(QPointF(0, 0), QRectF(0, 0, 0, 10)));
}

TEST(ScreenCoordinatesTest, QtScreensPutThePrimaryScreenAtTheOrigin)
{
    if (QGuiApplication::primaryScreen() == nullptr) {
        GTEST_SKIP() << "no screen";
    }
    const QtScreens screens;
    const QRect geometry = QGuiApplication::primaryScreen()->geometry();
    ASSERT_TRUE(screens.mainScreen().has_value());
    EXPECT_EQ(screens.mainScreen()->frame, QRectF(QPointF(0, 0), QSizeF(geometry.size())));
    EXPECT_TRUE(screens.mainScreen()->frame.contains(screens.mainScreen()->visibleFrame));
    EXPECT_EQ(screens.screens().size(), QGuiApplication::screens().size());
    EXPECT_EQ(screens.screens().first(), *screens.mainScreen());
}

} // namespace
} // namespace quillora
