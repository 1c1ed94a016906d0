#include "TrackerFixture.h"

#include <QNetworkReply>

namespace quillora {
namespace {

using PolishSessionTest = TrackerFixture;

QStringList contents(const QList<PolishedResult>& results)
{
    QStringList texts;
    for (const PolishedResult& result : results) {
        texts << result.presetName + QStringLiteral(": ") + result.content;
    }
    return texts;
}

TEST_F(PolishSessionTest, ActivationOpensPlaceholdersBesideThePointerAndIgnoresGesturesUntilTheAnswer)
{
    answerPolish(std::nullopt);
    tracker().startTracking();
    tracker().handleIconClick();
    EXPECT_TRUE(panels().results->updates.isEmpty()) << "activation without a selection does nothing";
    EXPECT_FALSE(tracker().isPolishing());

    startSession(QStringLiteral("please polish this text"));
    test::FakeResultsPanel& results = *panels().results;
    ASSERT_EQ(results.shownAt.size(), 1);
    EXPECT_EQ(results.shownAt.first(), QPointF(300, 500));
    EXPECT_FALSE(panels().icon->isOnScreen());
    EXPECT_TRUE(tracker().isPolishing());

    const std::optional<QPointF> startPoint = tracker().startPoint();
    selectInEditor(QStringLiteral("a different selection"));
    mouse().drag({1000, 100}, {1300, 100});
    mouse().doubleClick({1000, 100});
    advance(1);
    EXPECT_EQ(tracker().startPoint(), startPoint);
    EXPECT_FALSE(tracker().isCheckingSelection());
    EXPECT_TRUE(results.isOnScreen());
    EXPECT_EQ(tracker().lastCapturedText(), QStringLiteral("please polish this text"));

    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));
    EXPECT_EQ(server().count("POST", "/api/v1/polish"), 1);
    EXPECT_EQ(server().requests().last().json().value(QStringLiteral("text")).toString(),
              QStringLiteral("please polish this text"));
    server().releaseHeld(polishReply({{QStringLiteral("Casual"), QStringLiteral("hey")}}));
    EXPECT_TRUE(waitForPolishing());
}

TEST_F(PolishSessionTest, HistoryKeepsTheModelAndTimeAndAFailedSessionShowsTheErrorAndKeepsBoth)
{
    tracker().startTracking();
    startSession();
    ASSERT_TRUE(waitForPolishing());

    const test::FakeResultsPanel::Update& success = panels().results->updates.last();
    const QStringList expected = {QStringLiteral("Professional: Dear team"), QStringLiteral("Casual: hey all")};
    EXPECT_EQ(contents(success.results), expected);
    EXPECT_EQ(tracker().polishedResults(), success.results);
    ASSERT_EQ(history().items().size(), 1);
    const HistoryItem& item = history().items().first();
    EXPECT_EQ(contents(item.polishedResults), expected);
    EXPECT_EQ(item.modelUsed, QStringLiteral("quill-1"));
    EXPECT_EQ(item.responseTime, 1.5);
    const QList<PolishedResult> earlier = tracker().polishedResults();

    answerPolish(Reply::json(500, QJsonObject{{QStringLiteral("error"), QStringLiteral("model down")}}));
    mouse().click({900, 900});
    startSession(QStringLiteral("another text to polish"));
    ASSERT_TRUE(waitForPolishing());

    const test::FakeResultsPanel::Update& failure = panels().results->updates.last();
    EXPECT_EQ(failure.error, QStringLiteral("Polishing failed"));
    EXPECT_FALSE(failure.isPolishing);
    EXPECT_TRUE(failure.results.isEmpty());
    EXPECT_EQ(history().items().size(), 1);
    EXPECT_EQ(tracker().polishedResults(), earlier);
}

TEST_F(PolishSessionTest, TrackerStoppedOrDestroyedWhilePolishingLeavesNothingBehind)
{
    // Stopped: the answer still arrives and is kept, but the panel stays off the screen.
    answerPolish(std::nullopt);
    tracker().startTracking();
    startSession();
    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));
    tracker().stopTracking();
    server().releaseHeld(polishReply({{QStringLiteral("Casual"), QStringLiteral("hey")}}));
    ASSERT_TRUE(waitForPolishing());
    EXPECT_FALSE(panels().results->isOnScreen());
    EXPECT_EQ(history().items().size(), 1);

    // Destroyed: the session resumes after the tracker and its panels are gone and touches neither.
    tracker().startTracking();
    startSession();
    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));
    destroyTracker();
    server().releaseHeld(polishReply({{QStringLiteral("Casual"), QStringLiteral("hey again")}}));
    ASSERT_TRUE(test::waitUntil([this] { return client().findChildren<QNetworkReply*>().isEmpty(); }));
    advance(1);
    EXPECT_EQ(history().items().size(), 1);
}

TEST_F(PolishSessionTest, ThePanelsKeysAreTakenOnlyWhileItIsUpAndUseCopyOrCloseByNumber)
{
    SimPanelKeys& keys = *desktop().panelKeys();
    tracker().startTracking();
    EXPECT_FALSE(keys.isGrabbed());
    startSession(QStringLiteral("please polish this text"));
    EXPECT_TRUE(keys.isGrabbed()) << "taken the moment the panel is up, placeholders and all";
    ASSERT_TRUE(waitForPolishing());

    // Shift+1 copies the first variation, Tab and Enter use the highlighted one.
    keys.press({PanelKeyPress::Kind::number, 1, true});
    EXPECT_EQ(panels().results->copiedCards, QList<int>{0});
    keys.press({PanelKeyPress::Kind::tab});
    keys.press({PanelKeyPress::Kind::enter});
    EXPECT_TRUE(test::drive(clock(), [this] { return editor().text() == QStringLiteral("Dear team"); }));
    EXPECT_FALSE(panels().results->isOnScreen());
    EXPECT_FALSE(keys.isGrabbed()) << "given back the moment the panel hides";
    EXPECT_FALSE(keys.press({PanelKeyPress::Kind::escape})) << "Escape now reaches the application";

    // "2" uses the second variation; a number without a card does nothing.
    startSession(QStringLiteral("another text to polish"));
    ASSERT_TRUE(waitForPolishing());
    keys.press({PanelKeyPress::Kind::number, 9});
    EXPECT_TRUE(panels().results->isOnScreen());
    keys.press({PanelKeyPress::Kind::number, 2});
    EXPECT_TRUE(test::drive(clock(), [this] { return editor().text() == QStringLiteral("hey all"); }));

    startSession(QStringLiteral("a third text to polish"));
    ASSERT_TRUE(waitForPolishing());
    keys.press({PanelKeyPress::Kind::escape});
    EXPECT_FALSE(panels().results->isOnScreen());
    advance(1);
    EXPECT_EQ(editor().text(), QStringLiteral("a third text to polish"));
    EXPECT_FALSE(keys.isGrabbed());
}

TEST_F(PolishSessionTest, UsePastesOnlyWhereTheTextWasSelectedAndOtherwiseCopiesAndSaysSo)
{
    tracker().startTracking();
    startSession(QStringLiteral("please polish this text"));
    ASSERT_TRUE(waitForPolishing());
    const QString variation = panels().results->updates.last().results.at(0).content;

    // The user went to another application while the panel was open.
    SimApp& other = desktop().addApp(
        SimAppSetup{QStringLiteral("Terminal"), std::nullopt, QStringLiteral("unrelated"), AXRange{0, 9}, true});
    panels().results->useCard(0);
    advance(1);
    EXPECT_EQ(other.pastes(), 0);
    EXPECT_EQ(editor().pastes(), 0);
    EXPECT_EQ(desktop().pasteboard().string(), variation) << "copied, and left there to paste by hand";
    EXPECT_EQ(panels().results->updates.last().error, SelectionTracker::targetGoneMessage());

    // The application the text came from quit while the panel was open.
    editor().activate();
    startSession(QStringLiteral("another text to polish"));
    ASSERT_TRUE(waitForPolishing());
    desktop().workspace().removeApplication(editor().pid());
    other.activate();
    panels().results->useCard(0);
    advance(1);
    EXPECT_EQ(other.pastes(), 0);
    EXPECT_EQ(panels().results->updates.last().error, SelectionTracker::targetGoneMessage());

    // The application stopped answering while the panel was open: the focus checks would each wait
    // out their time-out on the window thread, and the paste keys would run whenever it resumes.
    SimApp& hung =
        desktop().addApp(SimAppSetup{QStringLiteral("Editor"), std::nullopt,
                                     QStringLiteral("a text whose editor then hangs"), AXRange{0, 30}, true});
    dragAndSettle({100, 500}, {300, 500});
    ASSERT_TRUE(panels().icon->isOnScreen());
    panels().icon->activate();
    ASSERT_TRUE(waitForPolishing());
    const QString chosen = panels().results->updates.last().results.at(0).content;
    desktop().accessibility().setUnresponsive(hung.pid(), true);
    const qsizetype keysBefore = desktop().keyEventSink().events().size();
    panels().results->useCard(0);
    advance(1);
    EXPECT_EQ(desktop().accessibility().waitedSeconds(), 0) << "a call waited out its budget on the window thread";
    EXPECT_EQ(desktop().keyEventSink().events().size(), keysBefore) << "no paste keys queued in the hung editor";
    EXPECT_EQ(desktop().pasteboard().string(), chosen);
    EXPECT_EQ(panels().results->updates.last().error, SelectionTracker::targetNotAnsweringMessage());
}

TEST_F(PolishSessionTest, ASelectionOverTheLimitIsNotSentAndThePanelSaysHowLongItIsAndTheLimit)
{
    tracker().startTracking();
    const QString text = QStringLiteral("x").repeated(SelectionTracker::maximumSelectionLength + 1);
    startSession(text);
    ASSERT_TRUE(waitForPolishing());
    const std::optional<QString> error = panels().results->updates.last().error;
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(QStringLiteral("10,001"))) << error->toStdString();
    EXPECT_TRUE(error->contains(QStringLiteral("10,000")));
    EXPECT_TRUE(history().items().isEmpty());
}

} // namespace
} // namespace quillora
