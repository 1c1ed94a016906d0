#include "ui/ResultCard.h"
#include "OfflineCardActions.h"
#include "support/SimDesktopTest.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/PolishedResultsView.h"

#include <QAbstractButton>
#include <QLabel>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Card actions whose reports fail at once: the reports themselves are the polishing loop's to check.
class ResultCardTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        cardActions = std::make_unique<test::OfflineCardActions>(desktop());
        window = std::make_unique<FloatingResultsWindow>(cardActions->actions);
        window->setOnSelect([this](const QString& text) {
            selected.append(text);
            visibleWhenSelected = window->isOnScreen();
        });
        window->showAt(QPointF(500, 500));
        window->setContent({PolishedResult(QStringLiteral("Professional"), QStringLiteral("Dear team,"), 41),
                            PolishedResult(QStringLiteral("Casual"), QStringLiteral("hey all"))},
                           false, std::nullopt);
    }

    void TearDown() override
    {
        EXPECT_EQ(cardActions->actions.reportsInFlight(), 0) << "an offline report ends at once";
        window.reset();
        cardActions.reset();
        SimDesktopTest::TearDown();
    }

    [[nodiscard]] ResultCard& card(qsizetype index) const { return *window->resultsView().cards().at(index); }

    std::unique_ptr<test::OfflineCardActions> cardActions;
    std::unique_ptr<FloatingResultsWindow> window;
    QStringList selected;
    bool visibleWhenSelected = false;
};

TEST_F(ResultCardTest, CopiedMarkClearsOneAndAHalfSecondsAfterTheFirstPressAndUseHandsTheTextOnBeforeHiding)
{
    desktop().pasteboard().setItems({PasteboardItem{{{QStringLiteral("public.png"), QByteArray("png")}}}});
    card(0).copyButton().click();
    EXPECT_EQ(desktop().pasteboard().items().size(), 1) << "the earlier content is cleared";
    EXPECT_TRUE(selected.isEmpty());
    advance(1.49);
    EXPECT_TRUE(card(0).isCopied());
    advance(0.01);
    EXPECT_FALSE(card(0).isCopied());

    card(0).copyButton().click();
    advance(1.0);
    card(0).copyButton().click();
    EXPECT_TRUE(card(0).isCopied());
    advance(0.5);
    EXPECT_FALSE(card(0).isCopied()) << "the first press's reset still fires";
    advance(1.0);
    EXPECT_FALSE(card(0).isCopied());

    // New content rebuilds the cards without their marks.
    card(0).copyButton().click();
    window->setContent({PolishedResult(QStringLiteral("Professional"), QStringLiteral("Dear team,"), 41)}, false,
                       std::nullopt);
    EXPECT_FALSE(card(0).isCopied());

    desktop().pasteboard().setRefusesWrites(true);
    card(0).copyButton().click();
    EXPECT_FALSE(card(0).isCopied()) << "a refused copy shows no mark";

    desktop().pasteboard().setRefusesWrites(false);
    card(0).useButton().click();
    EXPECT_EQ(selected, QStringList{QStringLiteral("Dear team,")});
    EXPECT_TRUE(visibleWhenSelected) << "the paste is started while the window is still up";
    EXPECT_FALSE(window->isOnScreen());
}

} // namespace
} // namespace quillora
