// The whole polishing loop with the real floating windows (offscreen), the simulated desktop and
// the reference backend service running in this process.
#include "TestServer.h"

#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/ResultActions.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "capture/SelectedTextManager.h"
#include "support/Drive.h"
#include "support/EventLoopWait.h"
#include "support/SimDesktopTest.h"
#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/PolishedResultsView.h"
#include "ui/ResultCard.h"
#include "ui/WidgetPanelFactory.h"

#include <QAbstractButton>

namespace quillora {
namespace {

class PolishingLoopTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        m_server = std::make_unique<test::TestServer>(clock());
        m_updates = std::make_unique<UpdateManager>(desktop().userDefaults(), AppInfo::version());
        m_client = std::make_unique<BackendClient>(m_server->origin().toString(), *m_updates);
        m_presets = std::make_unique<PresetManager>(*m_client);
        test::awaitTask(m_presets->waitForInitialLoad());
        m_history = std::make_unique<HistoryManager>();
        m_actions = std::make_unique<ResultActions>(*m_client, desktop().pasteboard());
        m_panels = std::make_unique<WidgetPanelFactory>(*m_actions);
        m_paste = std::make_unique<PasteService>(desktop().pasteboard(), clock());
        m_tracker = std::make_unique<SelectionTracker>(SelectionTracker::Services{
            *m_panels, SelectedTextManager::shared(), *m_history, *m_paste, AIPolishingService(*m_client, *m_presets)});
        m_editor =
            &desktop().addApp(SimAppSetup{QStringLiteral("TextEdit"), std::nullopt, m_before + m_selection + m_after,
                                          AXRange{m_before.size(), m_selection.size()}, true});
        m_tracker->startTracking();
    }

    void TearDown() override
    {
        // Reports still on their way would be left suspended when the process ends.
        EXPECT_TRUE(test::waitUntil([this] { return m_actions->reportsInFlight() == 0; }));
        m_tracker.reset();
        m_paste.reset();
        m_panels.reset();
        m_actions.reset();
        m_history.reset();
        m_presets.reset();
        m_client.reset();
        m_updates.reset();
        m_server.reset();
        SimDesktopTest::TearDown();
    }

    /** Drags over the selection and returns the icon that appears. */
    FloatingIconWindow& dragForIcon()
    {
        desktop().mouseMonitor().drag({220, 640}, {520, 640});
        EXPECT_TRUE(test::drive(clock(), [this] { return !m_tracker->isCheckingSelection(); }));
        return dynamic_cast<FloatingIconWindow&>(*m_tracker->floatingWindow());
    }

    /** Drags, rests on the icon until it is armed, clicks it and waits for the backend's cards. */
    FloatingResultsWindow& polishToCards()
    {
        FloatingIconWindow& icon = dragForIcon();
        icon.mouseEntered();
        advance(FloatingIconWindow::activationDelay);
        icon.mouseDown();
        advance(0.15);
        EXPECT_TRUE(test::waitUntil([this] { return !m_tracker->isPolishing(); }));
        return dynamic_cast<FloatingResultsWindow&>(*m_tracker->resultsWindow());
    }

    const QString m_before = QStringLiteral("Hi Sam, ");
    const QString m_selection = QStringLiteral("we was hoping you could look at the report");
    const QString m_after = QStringLiteral(" Thanks!");
    std::unique_ptr<test::TestServer> m_server;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_client;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    std::unique_ptr<ResultActions> m_actions;
    std::unique_ptr<WidgetPanelFactory> m_panels;
    std::unique_ptr<PasteService> m_paste;
    std::unique_ptr<SelectionTracker> m_tracker;
    SimApp* m_editor = nullptr;
};

TEST_F(PolishingLoopTest, DragHoverClickUseReplacesTheSelectionInTheEditor)
{
    FloatingIconWindow& icon = dragForIcon();
    ASSERT_TRUE(icon.isOnScreen());
    EXPECT_EQ(icon.frame().topLeft(), QPointF(540, 635));
    EXPECT_EQ(m_tracker->lastCapturedText(), m_selection);

    icon.mouseEntered();
    advance(FloatingIconWindow::activationDelay);
    icon.mouseDown();
    advance(0.15);

    auto& results = dynamic_cast<FloatingResultsWindow&>(*m_tracker->resultsWindow());
    ASSERT_TRUE(results.isOnScreen());
    EXPECT_EQ(results.resultsView().content(), PolishedResultsView::Content::Placeholders);
    ASSERT_TRUE(test::waitUntil([this] { return !m_tracker->isPolishing(); }));

    ASSERT_EQ(results.resultsView().content(), PolishedResultsView::Content::Results);
    const QList<ResultCard*> cards = results.resultsView().cards();
    ASSERT_EQ(cards.size(), m_presets->presets().size());
    for (qsizetype index = 0; index < cards.size(); ++index) {
        EXPECT_EQ(cards[index]->result().presetName, m_presets->presets()[index].name);
    }
    ASSERT_EQ(m_history->items().size(), 1);
    EXPECT_EQ(m_history->items().first().originalText, m_selection);

    const QString chosen = cards.first()->result().content;
    cards.first()->useButton().click();
    EXPECT_FALSE(results.isOnScreen());
    EXPECT_EQ(desktop().pasteboard().string(), chosen);
    EXPECT_EQ(m_editor->pastes(), 0);
    advance(0.1);

    EXPECT_EQ(m_editor->text(), m_before + chosen + m_after);
}

TEST_F(PolishingLoopTest, CopyLeavesThePanelOpenAndBothButtonsReportTheirAction)
{
    FloatingResultsWindow& results = polishToCards();
    const QList<ResultCard*> cards = results.resultsView().cards();
    ASSERT_GE(cards.size(), 2);
    const PolishedResult second = cards[1]->result();
    ASSERT_TRUE(second.logId);

    cards[1]->copyButton().click();
    advance(1);

    EXPECT_TRUE(results.isOnScreen());
    EXPECT_EQ(desktop().pasteboard().string(), second.content);
    EXPECT_EQ(m_editor->pastes(), 0);
    EXPECT_EQ(m_editor->text(), m_before + m_selection + m_after);

    results.resultsView().cards()[1]->useButton().click();
    ASSERT_TRUE(test::waitUntil([this] { return m_actions->reportsInFlight() == 0; }));
    const QList<test::TestServer::Interaction> logged = m_server->interactions();
    ASSERT_EQ(logged.size(), 2);
    EXPECT_EQ(logged[0].action, QStringLiteral("copy"));
    EXPECT_EQ(logged[1].action, QStringLiteral("use"));
    EXPECT_EQ(logged[1].polishingId, *second.logId);
    EXPECT_EQ(logged[1].presetName, second.presetName);
}

TEST_F(PolishingLoopTest, VariationsWithoutLogIdReportNothing)
{
    FloatingResultsWindow& results = polishToCards();
    QList<PolishedResult> unlogged;
    for (const PolishedResult& result : m_tracker->polishedResults()) {
        unlogged.append(PolishedResult(result.id, result.presetName, result.content, std::nullopt));
    }
    results.setContent(unlogged, false, std::nullopt);

    results.resultsView().cards()[0]->copyButton().click();
    results.resultsView().cards()[0]->useButton().click();
    advance(0.1);

    EXPECT_EQ(m_actions->reportsInFlight(), 0);
    EXPECT_TRUE(m_server->interactions().isEmpty());
    EXPECT_EQ(m_editor->text(), m_before + unlogged[0].content + m_after);
}

} // namespace
} // namespace quillora
