#include "capture/PasteboardManager.h"
#include "DiagnosticLogTest.h"

#include "capture/PasteboardExtension.h"
#include "capture/WithTimeout.h"
#include "core/ErrorRecord.h"
#include "support/CallbackProbe.h"

#include <QThread>

namespace quillora {
namespace {

using Text = std::optional<QString>;

PasteboardItem item(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    PasteboardItem result;
    for (const auto& [type, data] : entries) {
        result.entries.append({QString::fromLatin1(type), QByteArray(data)});
    }
    return result;
}

// What the user had on the pasteboard before every test: two items, the first with three types.
const QList<PasteboardItem> kUserItems{
    item({{"public.utf8-plain-text", "user text"}, {"public.html", "<b>user text</b>"}, {"public.rtf", "{\\rtf1}"}}),
    item({{"public.png", "\x89PNG"}}),
};

class PasteboardManagerTest : public DiagnosticLogTest
{
protected:
    void SetUp() override
    {
        DiagnosticLogTest::SetUp();
        pasteboard().setItems(kUserItems);
    }

    SimPasteboard& pasteboard() { return desktop().pasteboard(); }

    // Moves the virtual clock in poll-sized steps until the task is done; returns the time taken.
    template <typename T> double finish(const std::shared_ptr<test::TaskOutcome<T>>& outcome)
    {
        const double start = clock().monotonicNow();
        clock().runDue();
        for (int step = 0; step < 400 && !outcome->done(); ++step) {
            advance(PasteboardManager::changePollInterval);
        }
        EXPECT_TRUE(outcome->done());
        return clock().monotonicNow() - start;
    }

    PasteboardManager m_manager;
};

TEST_F(PasteboardManagerTest, FetchWaitsForNewTextAndPutsTheUserItemsBack)
{
    struct Case
    {
        const char* name;
        std::function<void(SimPasteboard&, SimClock&)> trigger;
        Text expected;
        double endsAt;
        QStringList expectedLog;
    };
    const auto image = QList<PasteboardItem>{item({{"public.png", "image"}})};
    const auto secret =
        QList<PasteboardItem>{item({{"public.utf8-plain-text", "hunter2"}, {"x-kde-passwordManagerHint", "secret"}})};
    // The log lines after "Getting next pasteboard content" and "Executing trigger action".
    const Case cases[] = {
        {"trigger that never touches the pasteboard", [](SimPasteboard&, SimClock&) {}, std::nullopt, 0.4,
         QStringList{"pollTask timeout: 0.4 seconds"}},
        {"copy of an image only", [&](SimPasteboard& board, SimClock&) { board.setItems(image); }, QString(""), 0.4,
         QStringList{"Pasteboard changed but no valid text content found"}},
        {"copy a password manager marked secret", [&](SimPasteboard& board, SimClock&) { board.setItems(secret); },
         QString(""), 0, QStringList{"New pasteboard content is marked secret; not read"}},
        {"failing trigger", [](SimPasteboard&, SimClock&) { throw ErrorRecord(QStringLiteral("Test"), 3); },
         std::nullopt, 0, QStringList{"Failed to execute trigger action: "}},
        {"copy that lands 12 ms later",
         [](SimPasteboard& board, SimClock& clock) {
             clock.schedule(0.012, [&board] { capture::setString(board, QStringLiteral("copied")); });
         },
         QStringLiteral("copied"), 0.015,
         QStringList{"New Pasteboard content: copied", "pollTask succeeded, time taken: 0.0150 seconds"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop().systemLog().clear();
        auto outcome = test::start(
            m_manager.fetchPasteboardText(RestorePasteboard::Yes, 0, [&] { c.trigger(pasteboard(), clock()); }));
        EXPECT_NEAR(finish(outcome), c.endsAt, 1e-9);
        EXPECT_EQ(*outcome->value(), c.expected);
        EXPECT_EQ(pasteboard().items(), kUserItems);
        const QStringList lines = log();
        const QStringList expected =
            QStringList{"Getting next pasteboard content", "Executing trigger action"} + c.expectedLog;
        ASSERT_GE(lines.size(), expected.size());
        EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QLatin1String("hunter2")));
        for (int i = 0; i < expected.size(); ++i) {
            EXPECT_TRUE(lines[i].startsWith(expected[i])) << lines[i].toStdString();
        }
    }

    // Without restore the trigger's content stays.
    finish(test::start(m_manager.fetchPasteboardText(RestorePasteboard::No, 0, [&] { pasteboard().setItems(image); })));
    EXPECT_EQ(pasteboard().items(), image);
}

TEST_F(PasteboardManagerTest, SavedItemsKeepEveryTypeAreRestoredAfterATemporaryTaskAndEmptyOrRefusedRestoresAreReported)
{
    QList<PasteboardItem> withMissingData = kUserItems;
    withMissingData[0].entries.append({QStringLiteral("public.tiff"), std::nullopt});
    pasteboard().setItems(withMissingData);
    const QList<PasteboardItem> saved = capture::backupItems(pasteboard());
    EXPECT_EQ(saved, kUserItems); // the type without data is skipped

    capture::setString(pasteboard(), QStringLiteral("other"));
    EXPECT_EQ(capture::string(pasteboard()), QStringLiteral("other"));
    EXPECT_TRUE(capture::restoreItems(pasteboard(), saved));
    EXPECT_EQ(pasteboard().items(), kUserItems);

    const qint64 before = pasteboard().changeCount();
    EXPECT_FALSE(capture::restoreItems(pasteboard(), {}));
    EXPECT_EQ(pasteboard().changeCount(), before);
    pasteboard().setRefusesWrites(true);
    EXPECT_FALSE(capture::restoreItems(pasteboard(), saved));
    EXPECT_EQ(log(), (QStringList{QStringLiteral("No pasteboard items to restore"),
                                  QStringLiteral("Failed to restore pasteboard items")}));

    pasteboard().setItems({});
    EXPECT_EQ(capture::string(pasteboard()), QString());

    // A temporary task puts the saved items back once its interval has passed.
    pasteboard().setRefusesWrites(false);
    pasteboard().setItems(kUserItems);
    auto outcome = test::startVoid(capture::performTemporaryTask(pasteboard(), 0.25, [this]() -> QCoro::Task<> {
        capture::setString(pasteboard(), QStringLiteral("temporary"));
        co_await sleep(0.1);
    }));
    advance(0.1);
    EXPECT_EQ(capture::string(pasteboard()), QStringLiteral("temporary"));
    advance(0.249);
    EXPECT_FALSE(outcome->done());
    advance(0.001);
    EXPECT_TRUE(outcome->done());
    EXPECT_EQ(pasteboard().items(), kUserItems);
}

TEST_F(PasteboardManagerTest, PasteUsesTheMenuAndFallsBackToTheShortcut)
{
    struct Case
    {
        const char* name;
        QString text;
        bool hasMenus;
        bool ignoresShortcuts;
        QString expectedText;
        QString lastLine;
    };
    const Case cases[] = {
        {"menu paste", "Hi", true, false, "Say Hi there", "Pasted text via menu action: Hi"},
        {"no menus: shortcut paste", "Hi", false, false, "Say Hi there", "Pasted text via keyboard shortcut: Hi"},
        {"shortcut reports success even when ignored", "Hi", false, true, "Say hello there",
         "Pasted text via keyboard shortcut: Hi"},
        {"empty text never reaches the pasteboard", QString(), true, false, "Say hello there",
         "Failed to copy text to pasteboard"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimApp& app = desktop().addApp(
            {.name = QStringLiteral("Notes"), .text = QStringLiteral("Say hello there"), .selection = {4, 5}});
        app.setHasMenus(c.hasMenus).setIgnoresShortcuts(c.ignoresShortcuts);
        desktop().systemLog().clear();
        auto outcome = test::startVoid(m_manager.pasteText(c.text, RestorePasteboard::Yes, 0));
        finish(outcome);
        EXPECT_EQ(app.text(), c.expectedText);
        if (app.text() != QLatin1String("Say hello there")) {
            EXPECT_EQ(app.selection(), (AXRange{6, 0})); // the caret sits after the pasted text
        }
        // Each attempt puts the user's items back.
        EXPECT_EQ(pasteboard().items(), kUserItems);
        const QStringList lines = log();
        EXPECT_TRUE(lines.contains(c.lastLine)) << c.lastLine.toStdString();
        EXPECT_EQ(lines.count(QStringLiteral("Failed to paste via menu action: AXError.<Unknown>")),
                  c.hasMenus ? 0 : 1);
    }
}

TEST_F(PasteboardManagerTest, PasteCallbackEntryCompletesOnceFromAWorkerThread)
{
    SimApp& app = desktop().addApp(
        {.name = QStringLiteral("Notes"), .text = QStringLiteral("Say hello there"), .selection = {4, 5}});
    test::CallbackProbe probe;
    m_manager.pasteText(QStringLiteral("Hi"), RestorePasteboard::Yes, 0, [&] { probe.record(); });
    ASSERT_TRUE(probe.ranOnceOffThread(clock()));
    EXPECT_EQ(app.text(), QStringLiteral("Say Hi there"));
    EXPECT_EQ(pasteboard().items(), kUserItems);
}

} // namespace
} // namespace quillora
