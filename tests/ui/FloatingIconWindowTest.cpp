#include "ui/FloatingIconWindow.h"
#include "platform/Screens.h"
#include "support/SimDesktopTest.h"
#include "ui/FloatingIconView.h"
#include "ui/PointerEvents.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quillora {
namespace {

class FloatingIconWindowTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        icon = std::make_unique<FloatingIconWindow>();
        icon->setOnClick([this] { ++clicks; });
        icon->setOnHover([this] { ++hovers; });
    }

    void TearDown() override
    {
        icon.reset();
        SimDesktopTest::TearDown();
    }

    std::unique_ptr<FloatingIconWindow> icon;
    int clicks = 0;
    int hovers = 0;
};

TEST_F(FloatingIconWindowTest, RingFillsLinearlyAndAPressCountsOnlyOnceItHasFilledSinceTheLastEntry)
{
    struct Case
    {
        double hover;
        bool activates;
    };
    int entries = 0;
    for (const Case& c : {Case{0.0, false}, Case{0.2, false}, Case{0.399, false}, Case{0.4, true}, Case{1.5, true}}) {
        SCOPED_TRACE(c.hover);
        clicks = 0;
        icon->showAt(QPointF(300, 300));
        test::sendEnter(*icon);
        EXPECT_EQ(hovers, ++entries);
        advance(c.hover);
        EXPECT_NEAR(icon->iconState().activationProgress(), std::min(c.hover / 0.4, 1.0), 1e-9);
        test::sendPress(*icon);
        EXPECT_EQ(icon->iconState().isClicked(), c.activates);
        advance(IconState::clickDuration - 0.001);
        EXPECT_EQ(clicks, 0) << "the click callback waits for the shrink";
        advance(0.001);
        EXPECT_EQ(clicks, c.activates ? 1 : 0);
        advance(FloatingIconWindow::fadeDuration);
        EXPECT_EQ(icon->isOnScreen(), !c.activates) << "an activated icon hides itself";
        test::sendLeave(*icon);
    }

    // Leaving empties the ring at once; the next entry arms from nothing.
    icon->showAt(QPointF(300, 300));
    test::sendEnter(*icon);
    advance(0.3);
    test::sendLeave(*icon);
    EXPECT_DOUBLE_EQ(icon->iconState().activationProgress(), 0);
    test::sendEnter(*icon);
    advance(0.2);
    test::sendPress(*icon);
    EXPECT_FALSE(icon->iconState().isClicked()) << "0.5 s since the first entry, but only 0.2 s since the second";
}

TEST_F(FloatingIconWindowTest, ActivationShrinksTheIconOnceAndHidesItWithAFade)
{
    icon->showAt(QPointF(300, 300));
    test::sendEnter(*icon);
    test::sendMove(icon->view(), QPointF(32, 32));
    advance(0.5);
    EXPECT_NEAR(icon->view().currentScale(), FloatingIconView::hoverScale, 0.01);
    test::sendPress(*icon);
    advance(0.05);
    test::sendPress(*icon);
    advance(IconState::clickDuration - 0.05);
    EXPECT_DOUBLE_EQ(icon->view().currentScale(), FloatingIconView::clickedScale);
    EXPECT_EQ(clicks, 1) << "a second press during the shrink starts no second session";
    EXPECT_TRUE(icon->isOnScreen()) << "still fading out";
    EXPECT_DOUBLE_EQ(icon->iconState().activationProgress(), 0);
    advance(0.1);
    EXPECT_GT(icon->alphaValue(), 0);
    EXPECT_LT(icon->alphaValue(), 1);
    advance(0.11);
    EXPECT_FALSE(icon->isOnScreen());
    EXPECT_DOUBLE_EQ(icon->alphaValue(), 0);
}

TEST_F(FloatingIconWindowTest, HidesItselfThreeSecondsAfterThePointerLeavesOrNeverCameUnlessShownAgain)
{
    icon->showAt(QPointF(300, 300));
    advance(0.2);
    EXPECT_DOUBLE_EQ(icon->alphaValue(), 1) << "faded in";
    advance(2.79);
    EXPECT_TRUE(icon->isOnScreen());
    EXPECT_DOUBLE_EQ(icon->alphaValue(), 1);
    advance(0.01 + FloatingIconWindow::fadeDuration);
    EXPECT_FALSE(icon->isOnScreen());

    icon->showAt(QPointF(300, 300));
    test::sendEnter(*icon);
    advance(30);
    EXPECT_TRUE(icon->isOnScreen()) << "stays while hovered";
    EXPECT_FALSE(icon->isHideTimerRunning());
    test::sendLeave(*icon);
    advance(2.9);
    EXPECT_TRUE(icon->isOnScreen());
    test::sendEnter(*icon);
    advance(5);
    EXPECT_TRUE(icon->isOnScreen()) << "coming back within 3 s stops the timer";
    test::sendLeave(*icon);
    advance(3 + FloatingIconWindow::fadeDuration);
    EXPECT_FALSE(icon->isOnScreen());

    // Shown again while fading out, it stays.
    icon->showAt(QPointF(300, 300));
    icon->hidePanel();
    advance(0.1);
    icon->showAt(QPointF(400, 300));
    advance(1);
    EXPECT_TRUE(icon->isOnScreen());
    EXPECT_DOUBLE_EQ(icon->alphaValue(), 1);
}

TEST_F(FloatingIconWindowTest, NeverTakesFocusAndOnlyTheDiscTakesPresses)
{
    const Qt::WindowFlags flags = icon->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(icon->testAttribute(Qt::WA_ShowWithoutActivating));
    icon->showAt(QPointF(300, 300));
    EXPECT_FALSE(icon->isActiveWindow());

    const std::optional<QList<QRect>> rects = desktop().appWindows().inputRegion(icon->winId());
    ASSERT_TRUE(rects);
    QRegion region;
    for (const QRect& rect : *rects) {
        region += rect;
    }
    EXPECT_TRUE(region.contains(QPoint(32, 32)));
    EXPECT_TRUE(region.contains(QPoint(32, 7))) << "the hovered disc's top";
    EXPECT_FALSE(region.contains(QPoint(2, 2))) << "a corner of the window lets presses through";
    EXPECT_FALSE(region.contains(QPoint(32, 62)));
}

TEST_F(FloatingIconWindowTest, WithoutCompositingTheWindowIsTheDiscAtItsRestingSize)
{
    desktop().appWindows().setComposited(false);
    icon->showAt(QPointF(300, 300));
    const QRegion shape = icon->mask();
    EXPECT_TRUE(shape.contains(QPoint(32, 32)));
    EXPECT_TRUE(shape.contains(QPoint(32, 11)));
    EXPECT_FALSE(shape.contains(QPoint(32, 8))) << "above the disc";
    EXPECT_FALSE(shape.contains(QPoint(13, 13))) << "beside the disc's round edge";
    icon->view().setHovered(true, false);
    EXPECT_DOUBLE_EQ(icon->view().currentScale(), 1) << "a grown disc would be cut by the shape";
}

} // namespace
} // namespace quillora
