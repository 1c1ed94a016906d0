#include "capture/SelectedTextManager.h"
#include "DiagnosticLogTest.h"

#include "ax/AXError.h"
#include "capture/AXManager.h"
#include "capture/BrowserAction.h"
#include "capture/CaptureKitError.h"
#include "capture/PasteboardExtension.h"
#include "support/CallbackProbe.h"

#include <QThread>

#include <mutex>

namespace quillora {
namespace {

using Text = std::optional<QString>;

const QString kText = QStringLiteral("Hello world, this is a sentence.");
const QList<PasteboardItem> kUserItems{
    PasteboardItem{{{QStringLiteral("public.utf8-plain-text"), QByteArray("user text")},
                    {QStringLiteral("public.html"), QByteArray("<i>user text</i>")}}},
};

// What a strategy call ended with: its text, or the thrown error's text form.
struct Result
{
    Text text;
    QString error;
};

class SelectedTextManagerTest : public DiagnosticLogTest
{
protected:
    void SetUp() override
    {
        DiagnosticLogTest::SetUp();
        desktop().pasteboard().setItems(kUserItems);
    }

    void TearDown() override
    {
        // Volume restores run a second after a shortcut copy; let them finish before the desktop goes.
        advance(1);
        test::drive(
            clock(), [this] { return !scripts().executedSources().isEmpty() ? restoresDone() : true; }, 50);
        SimDesktopTest::TearDown();
    }

    SimApp& notes(AXRange selection = {6, 5})
    {
        return desktop().addApp({.name = QStringLiteral("Notes"), .text = kText, .selection = selection});
    }
    SimScriptRunner& scripts() { return desktop().scriptRunner(); }
    bool restoresDone() { return scripts().alertVolume() != 0; }

    Result run(QCoro::Task<Text> task)
    {
        const auto outcome = DiagnosticLogTest::run(std::move(task));
        if (const ErrorPtr error = outcome->error()) {
            return {std::nullopt, error->debugDescription()};
        }
        return {*outcome->value(), {}};
    }

    SelectedTextManager& manager() { return SelectedTextManager::shared(); }
};

TEST_F(SelectedTextManagerTest, AutomaticOrderFallsBackOnlyWhereItShould)
{
    struct Case
    {
        const char* name;
        std::function<void(SimApp&)> arrange;
        Result expected;
        int copies;
        QString logLine;
    };
    const auto emptyAX = [](SimApp& app) { app.setSelectedTextAnswer(SimSelectedTextAnswer::Empty); };
    const Case cases[] = {
        {"accessibility text", [](SimApp&) {}, Result{"world", {}}, 0,
         "Successfully got non-empty text via Accessibility"},
        {"accessibility error ends the call", [](SimApp& app) { app.setSelectedTextReadFailure(AXResult::NoValue); },
         Result{std::nullopt, "AXError.NoValue"}, 0, "Getting selected text via AX"},
        {"menu copy", emptyAX, Result{"world", {}}, 1, "Successfully got non-empty text via menu action copy"},
        {"no Copy item: shortcut copy", [&](SimApp& app) { emptyAX(app.setHasMenus(false)); }, Result{"world", {}}, 1,
         "Menu action copy not available, falling back to shortcut copy"},
        {"disabled Copy item",
         [&](SimApp& app) {
             emptyAX(app), app.select({6, 0});
         },
         Result{}, 0, "Menu action copy is disabled, maybe no text selected, returning nil"},
        {"not trusted", [&](SimApp& app) { emptyAX(app), desktop().accessibility().setTrusted(false); }, Result{}, 0,
         "Accessibility API is disabled, returning nil"},
        {"other menu errors reach the caller",
         [&](SimApp& app) { emptyAX(app), app.copyItem()->failAttribute("AXEnabled", AXResult::CannotComplete); },
         Result{std::nullopt, "AXError.CannotComplete"}, 0,
         "Failed to get text via menu action copy: AXError.CannotComplete"},
        {"image-only copy", [&](SimApp& app) { emptyAX(app.setCopiesImageOnly()); }, Result{}, 1,
         "All auto strategy methods failed or returned empty text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop().accessibility().setTrusted(true);
        desktop().systemLog().clear();
        SimApp& app = notes();
        c.arrange(app);
        const Result result = run(manager().getSelectedText(TextStrategy::auto_));
        EXPECT_EQ(result.text, c.expected.text);
        EXPECT_EQ(result.error, c.expected.error);
        EXPECT_EQ(app.copies(), c.copies);
        EXPECT_TRUE(log().contains(c.logLine));
        EXPECT_EQ(desktop().pasteboard().items(), kUserItems);
    }
}

TEST_F(SelectedTextManagerTest, StrategyListThrowsTheLastFailure)
{
    const auto list = [](std::initializer_list<TextStrategy> strategies) { return QList<TextStrategy>(strategies); };
    struct Case
    {
        const char* name;
        QList<TextStrategy> strategies;
        std::function<void(SimApp&)> arrange;
        Result expected;
    };
    const auto untrusted = [this](SimApp&) { desktop().accessibility().setTrusted(false); };
    const Case cases[] = {
        {"empty list", QList<TextStrategy>(), [](SimApp&) {}, Result{}},
        {"menu without item, then an ignored shortcut", list({TextStrategy::menuAction, TextStrategy::shortcut}),
         [](SimApp& app) { app.setHasMenus(false).setIgnoresShortcuts(); },
         Result{std::nullopt, "systemError(underlying: AXError.<Unknown>)"}},
        {"a foreign error after a toolkit error", list({TextStrategy::appleScript, TextStrategy::shortcut}), untrusted,
         Result{std::nullopt, "systemError(underlying: AXError.APIDisabled)"}},
        {"a toolkit error after a foreign error", list({TextStrategy::shortcut, TextStrategy::appleScript}), untrusted,
         Result{std::nullopt, "unsupportedBrowser(bundleID: \"com.example.notes\")"}},
        {"a later success forgets earlier failures", list({TextStrategy::appleScript, TextStrategy::accessibility}),
         [](SimApp&) {}, Result{"world", {}}},
        {"empty text moves on", list({TextStrategy::accessibility, TextStrategy::menuAction}),
         [](SimApp& app) { app.setSelectedTextAnswer(SimSelectedTextAnswer::Empty); }, Result{"world", {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop().accessibility().setTrusted(true);
        SimApp& app = notes();
        c.arrange(app);
        const Result result = run(manager().getSelectedText(c.strategies));
        EXPECT_EQ(result.text, c.expected.text);
        EXPECT_EQ(result.error, c.expected.error);
    }
}

TEST_F(SelectedTextManagerTest, ShortcutCopyIsSilentAndLeavesThePasteboardAsItWas)
{
    struct Case
    {
        const char* name;
        std::function<void(SimApp&)> arrange;
        Result expected;
        int keyEvents;
    };
    const Case cases[] = {
        {"copy", [](SimApp&) {}, Result{"world", {}}, 2},
        {"slow copy", [](SimApp& app) { app.setCopyDelay(0.2); }, Result{"world", {}}, 2},
        {"shortcut ignored", [](SimApp& app) { app.setIgnoresShortcuts(); }, Result{}, 2},
        {"image only", [](SimApp& app) { app.setCopiesImageOnly(); }, Result{"", {}}, 2},
        {"not trusted", [this](SimApp&) { desktop().accessibility().setTrusted(false); },
         Result{std::nullopt, "AXError.APIDisabled"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop().accessibility().setTrusted(true);
        desktop().keyEventSink().clear();
        scripts().setAlertVolume(75);
        SimApp& app = notes();
        c.arrange(app);
        const Result result = run(manager().getSelectedText(TextStrategy::shortcut));
        EXPECT_EQ(result.text, c.expected.text);
        EXPECT_EQ(result.error, c.expected.error);
        ASSERT_EQ(desktop().keyEventSink().events().size(), c.keyEvents);
        if (c.keyEvents > 0) {
            EXPECT_EQ(desktop().keyEventSink().events().first(), (PostedKeyEvent{8, true, 0x100000, std::nullopt}));
            // The alert stays silent until a second after the copy.
            EXPECT_EQ(scripts().alertVolume(), 0);
        }
        EXPECT_EQ(desktop().pasteboard().items(), kUserItems);
        advance(1);
        EXPECT_TRUE(test::drive(
            clock(), [this] { return restoresDone(); }, 50));
        EXPECT_EQ(scripts().alertVolume(), 75);
    }
}

TEST_F(SelectedTextManagerTest, BrowserStrategyAsksSupportedBrowsersOnly)
{
    struct Case
    {
        const char* name;
        QString frontmostBundleID;
        std::optional<QString> bundleID;
        bool scriptsCanBeMade;
        Result expected;
        std::optional<SupportedBrowser> scriptedBrowser;
    };
    const Case cases[] = {
        {"frontmost Chrome", "com.google.Chrome", std::nullopt, true, Result{"page words", {}},
         SupportedBrowser::chrome},
        {"given Safari", "com.example.notes", "com.apple.Safari", true, Result{"page words", {}},
         SupportedBrowser::safari},
        {"other application", "com.example.notes", std::nullopt, true,
         Result{std::nullopt, "unsupportedBrowser(bundleID: \"com.example.notes\")"}, std::nullopt},
        {"no script interface", "com.microsoft.edgemac", std::nullopt, false, Result{}, std::nullopt},
    };
    scripts().setHandler([](const QString& source) -> std::optional<ScriptResult> {
        return source.contains("window.getSelection()") ? std::optional(ScriptResult::success(" page words\n"))
                                                        : std::nullopt;
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripts().setScriptsCanBeMade(c.scriptsCanBeMade);
        const qsizetype scriptsBefore = scripts().executedSources().size();
        desktop().addApp({.name = QStringLiteral("App"), .bundleID = c.frontmostBundleID, .text = kText});
        const Result result = run(manager().getSelectedText(TextStrategy::appleScript, c.bundleID));
        EXPECT_EQ(result.text, c.expected.text);
        EXPECT_EQ(result.error, c.expected.error);
        const QStringList executed = scripts().executedSources().mid(scriptsBefore);
        if (c.scriptedBrowser) {
            EXPECT_EQ(executed,
                      QStringList{BrowserAction::getSelectedText().generateScriptInfo(*c.scriptedBrowser).script});
        } else {
            EXPECT_TRUE(executed.isEmpty());
        }
    }
}

TEST_F(SelectedTextManagerTest, CallbackEntryAnswersOnceFromAWorkerThread)
{
    struct Case
    {
        const char* name;
        int strategy;
        Text text;
        std::optional<std::pair<QString, qint64>> error; // domain and code
    };
    const Case cases[] = {
        {"accessibility", 1, "world", std::nullopt},
        {"keyboard shortcut", 4, "world", std::nullopt},
        {"unsupported browser", 2, std::nullopt, std::pair<QString, qint64>{"CaptureKitErrorDomain", 1003}},
        {"unknown strategy", 9, std::nullopt, std::pair<QString, qint64>{"CaptureKitErrorDomain", 1007}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        notes();
        std::mutex mutex;
        test::CallbackProbe probe;
        Text text;
        std::optional<ErrorRecord> error;
        manager().getSelectedTextWithStrategy(c.strategy, std::nullopt,
                                              [&](Text answer, std::optional<ErrorRecord> failure) {
                                                  std::lock_guard lock(mutex);
                                                  text = std::move(answer);
                                                  error = std::move(failure);
                                                  probe.record();
                                              });
        ASSERT_TRUE(probe.ranOnceOffThread(clock()));
        std::lock_guard lock(mutex);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(error.has_value(), c.error.has_value());
        if (error && c.error) {
            EXPECT_EQ(std::pair(error->domain(), error->code()), *c.error);
        }
    }

    // The accessibility read has a callback entry of its own, with the same contract.
    test::CallbackProbe probe;
    getSelectedTextByAX(AXManager::shared(), [&](Text text, std::optional<ErrorRecord> error) {
        EXPECT_EQ(text, Text("world"));
        EXPECT_FALSE(error.has_value());
        probe.record();
    });
    ASSERT_TRUE(probe.ranOnceOffThread(clock()));
}

} // namespace
} // namespace quillora
