#include "ui/FloatingResultsWindow.h"

#include "OfflineCardActions.h"
#include "platform/Screens.h"
#include "support/SimDesktopTest.h"
#include "ui/CardEntrance.h"
#include "ui/PolishedResultsView.h"
#include "ui/ResultCard.h"
#include "ui/SkeletonCard.h"

#include <QAbstractButton>
#include <QLabel>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Two screens side by side: the primary one with a 32-point panel at its top, a second one to its
// right with a 40-point dock at its bottom.
const Screen kPrimary{QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1048)};
const Screen kSecond{QRectF(1920, 0, 1280, 1024), QRectF(1920, 40, 1280, 984)};

class FloatingResultsWindowTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        desktop().screens().setScreens({kPrimary, kSecond});
        cardActions = std::make_unique<test::OfflineCardActions>(desktop());
        window = std::make_unique<FloatingResultsWindow>(cardActions->actions);
    }

    void TearDown() override
    {
        window.reset();
        cardActions.reset();
        SimDesktopTest::TearDown();
    }

    [[nodiscard]] QString labelText(const char* name) const
    {
        const auto* label = window->resultsView().findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QString();
    }

    std::unique_ptr<test::OfflineCardActions> cardActions;
    std::unique_ptr<FloatingResultsWindow> window;
};

TEST_F(FloatingResultsWindowTest, OpensBesideThePointerInsideTheVisibleFrame)
{
    struct Case
    {
        const char* name;
        QPointF pointer;
        QPointF origin;
    };
    // The whole window stays inside, its 16-point shadow margin included: never over a top bar.
    const Case cases[] = {
        {"room on every side", {500, 500}, {520, 290}},
        {"10 points left of the right edge", {1910, 500}, {1570, 290}},
        {"near the bottom", {500, 100}, {520, 16}},
        {"near the top, under the panel", {500, 1000}, {520, 1048 - 16 - 420}},
        {"second screen, above its dock", {2000, 60}, {2020, 40 + 16}},
        {"second screen, right edge", {3190, 600}, {2850, 390}},
        {"on no screen: the main screen's frame", {-500, 500}, {16, 290}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->showAt(c.pointer);
        EXPECT_EQ(window->frame(), QRectF(c.origin, QSizeF(320, 420)));
        EXPECT_TRUE(window->isOnScreen());
        EXPECT_DOUBLE_EQ(window->alphaValue(), 1);
    }
}

TEST_F(FloatingResultsWindowTest, ShadowMarginSurroundsThePanelTakesNoPressesAndNeverLeavesTheMainScreen)
{
    window->showAt(QPointF(500, 500));
    const int margin = FloatingResultsWindow::shadowMargin;
    // The panel's top edge is at design y 710, Qt y 1080 - 710 = 370; the shadow margin surrounds it.
    EXPECT_EQ(window->pos(), QPoint(520 - margin, 370 - margin));
    EXPECT_EQ(window->resultsView().geometry(), QRect(margin, margin, 320, 420));
    EXPECT_EQ(desktop().appWindows().inputRegion(window->winId()), QList<QRect>{QRect(margin, margin, 320, 420)})
        << "presses in the shadow margin reach the application below";

    // A screen narrower and lower than the panel with its margins, and a pointer off every screen.
    desktop().screens().setScreens({Screen{QRectF(0, 0, 400, 300), QRectF(0, 0, 400, 300)}});
    for (const QPointF p : {QPointF(390, 150), QPointF(5000, 5000), QPointF(-300, -300)}) {
        window->showAt(p);
        const QRectF frame = window->frame();
        EXPECT_GE(frame.x(), 0) << p.x();
        EXPECT_LE(frame.right(), 400) << p.x();
        EXPECT_LE(frame.y() + frame.height(), 300 + 420 - 300) << "keeps the top edge inside";
    }

    // A point on no screen is placed by the main screen, here the second one; no screen at all leaves
    // the origin beside the pointer.
    desktop().screens().setScreens({kPrimary, kSecond}, 1);
    window->showAt(QPointF(5000, 10));
    EXPECT_EQ(window->frame().topLeft(), QPointF(3200 - 16 - 320, 40 + 16))
        << "inside the second screen's visible frame";
    desktop().screens().setScreens({});
    window->showAt(QPointF(100, 100));
    EXPECT_EQ(window->frame().topLeft(), QPointF(120, -110));
}

TEST_F(FloatingResultsWindowTest, WithoutCompositingThePanelTakesItsOwnShapeWithoutAMargin)
{
    desktop().appWindows().setComposited(false);
    window->showAt(QPointF(500, 1000));
    EXPECT_TRUE(window->isShaped());
    EXPECT_EQ(window->size(), QSize(320, 420));
    EXPECT_EQ(window->resultsView().pos(), QPoint(0, 0));
    EXPECT_EQ(window->frame(), QRectF(QPointF(520, 1048 - 10 - 420), QSizeF(320, 420)))
        << "without a margin only the panel's own 10 points keep it from the top bar";
    const QRegion shape = window->mask();
    EXPECT_TRUE(shape.contains(QPoint(160, 210)));
    EXPECT_TRUE(shape.contains(QPoint(160, 1)));
    EXPECT_FALSE(shape.contains(QPoint(1, 1))) << "a rounded corner";
    EXPECT_FALSE(shape.contains(QPoint(318, 418)));

    // A compositing manager that starts brings the translucent margin back.
    desktop().appWindows().setComposited(true);
    window->showAt(QPointF(500, 500));
    EXPECT_FALSE(window->isShaped());
    EXPECT_TRUE(window->mask().isEmpty());
    EXPECT_EQ(window->size(), QSize(320 + 32, 420 + 32));
    EXPECT_EQ(window->resultsView().pos(), QPoint(16, 16));
}

TEST_F(FloatingResultsWindowTest, ContentFollowsErrorThenPolishingThenResults)
{
    const QList<PolishedResult> two{PolishedResult(QStringLiteral("Casual"), QStringLiteral("hey there")),
                                    PolishedResult(QStringLiteral("Concise"), QStringLiteral("hi"))};
    struct Case
    {
        QList<PolishedResult> results;
        bool isPolishing;
        std::optional<QString> error;
        PolishedResultsView::Content expected;
    };
    const Case cases[] = {
        {{}, true, QStringLiteral("Polishing failed"), PolishedResultsView::Content::Error},
        {two, true, QStringLiteral("Polishing failed"), PolishedResultsView::Content::Error},
        {two, true, std::nullopt, PolishedResultsView::Content::Placeholders},
        {two, false, std::nullopt, PolishedResultsView::Content::Results},
        {{}, false, std::nullopt, PolishedResultsView::Content::Empty},
    };
    for (const Case& c : cases) {
        window->setContent(c.results, c.isPolishing, c.error);
        const PolishedResultsView& view = window->resultsView();
        EXPECT_EQ(view.content(), c.expected);
        const qsizetype skeletons = view.findChildren<SkeletonCard*>().size();
        EXPECT_EQ(skeletons, c.expected == PolishedResultsView::Content::Placeholders ? 3 : 0);
        QList<PolishedResult> cards;
        for (const ResultCard* card : view.cards()) {
            cards.append(card->result());
        }
        EXPECT_EQ(cards, c.expected == PolishedResultsView::Content::Results ? two : QList<PolishedResult>());
        if (c.expected == PolishedResultsView::Content::Error) {
            EXPECT_EQ(labelText("errorMessage"), QStringLiteral("Polishing failed"));
            EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("errorMessage"))->textFormat(), Qt::PlainText)
                << "markup in a backend's error is shown, not interpreted";
        }
    }
}

TEST_F(FloatingResultsWindowTest, CardsEnterOneAfterAnother)
{
    QList<PolishedResult> four;
    for (const char* name : {"Professional", "Casual", "Fix Grammar", "Concise"}) {
        four.append(PolishedResult(QString::fromLatin1(name), QStringLiteral("Some polished words.")));
    }
    window->showAt(QPointF(500, 500));
    window->setContent(four, false, std::nullopt);
    const auto& entrances = window->resultsView().entrances();
    ASSERT_EQ(entrances.size(), 4);
    const auto started = [&entrances] {
        QList<bool> result;
        for (const auto* entrance : entrances) {
            result.append(entrance->progress() > 0);
        }
        return result;
    };
    EXPECT_EQ(started(), QList<bool>({false, false, false, false}));
    advance(0.01);
    EXPECT_EQ(started(), QList<bool>({true, false, false, false}));
    advance(0.06);
    EXPECT_EQ(started(), QList<bool>({true, true, false, false}));
    advance(0.10);
    EXPECT_EQ(started(), QList<bool>({true, true, true, false})) << "0.17 s: the fourth waits for 0.18 s";
    advance(0.02);
    EXPECT_EQ(started(), QList<bool>({true, true, true, true}));
    advance(1);
    for (const auto* entrance : entrances) {
        EXPECT_DOUBLE_EQ(entrance->progress(), 1);
        EXPECT_EQ(entrance->card().geometry().top(), 0) << "in place";
    }
}

} // namespace
} // namespace quillora
