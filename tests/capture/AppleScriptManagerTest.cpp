#include "capture/AppleScriptManager.h"
#include "DiagnosticLogTest.h"

#include "capture/CaptureKitError.h"
#include "capture/TimeoutError.h"

#include <atomic>
#include <semaphore>

namespace quillora {
namespace {

using Text = std::optional<QString>;

class AppleScriptManagerTest : public DiagnosticLogTest
{
protected:
    SimScriptRunner& scripts() { return desktop().scriptRunner(); }

    AppleScriptManager m_manager;
};

TEST_F(AppleScriptManagerTest, ScriptAnswersAreTrimmedErrorsMappedAndAVolumeThatIsNoNumberReadsAsNone)
{
    const QVariantMap noEntries;
    struct Case
    {
        const char* name;
        std::optional<ScriptResult> answer; // none: the script cannot be made
        Text output;
        std::optional<CaptureKitError::AppleScriptExecution> error;
    };
    const Case cases[] = {
        {"text with blanks and a line break", ScriptResult::success("  selected words \n"), "selected words", {}},
        {"result without text", ScriptResult::success(std::nullopt), std::nullopt, {}},
        {"error with number and message",
         ScriptResult::failure({{kScriptErrorNumberKey, -1728}, {kScriptErrorMessageKey, "Can’t get window 1."}}),
         {},
         CaptureKitError::AppleScriptExecution{"the script", -1728, "Can’t get window 1."}},
        {"error without entries",
         ScriptResult::failure(noEntries),
         {},
         CaptureKitError::AppleScriptExecution{"the script", -1, "Unknown AppleScript error"}},
        {"error with mistyped entries",
         ScriptResult::failure({{kScriptErrorNumberKey, "12"}, {kScriptErrorMessageKey, 5}}),
         {},
         CaptureKitError::AppleScriptExecution{"the script", -1, "Unknown AppleScript error"}},
        {"script that cannot be made", std::nullopt, std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripts().setScriptsCanBeMade(c.answer.has_value());
        scripts().setHandler([&](const QString&) { return c.answer; });
        const auto outcome = run(m_manager.runAppleScript("the script", 0.5));
        if (c.error) {
            const auto error = outcome->errorAs<CaptureKitError>();
            ASSERT_NE(error, nullptr);
            EXPECT_EQ(*error, CaptureKitError(*c.error)) << error->debugDescription().toStdString();
        } else {
            EXPECT_EQ(outcome->value(), std::optional<Text>(c.output));
        }
    }

    // An alert volume answer that is no number reads as none; a real volume is read by the muting below.
    scripts().setScriptsCanBeMade(true);
    scripts().setHandler([](const QString&) { return std::optional(ScriptResult::success("loud")); });
    EXPECT_EQ(run(m_manager.getCurrentAlertVolume())->value(),
              std::optional<std::optional<int>>(std::in_place, std::nullopt));
}

TEST_F(AppleScriptManagerTest, BlockingScriptReportsTheTimeOutOnlyWhenItEnds)
{
    std::binary_semaphore release(0);
    std::atomic<bool> running = false;
    scripts().setHandler([&](const QString&) -> std::optional<ScriptResult> {
        running = true;
        release.acquire();
        return ScriptResult::success("late");
    });
    auto outcome = test::start(m_manager.runAppleScript("slow", 0.5));
    ASSERT_TRUE(test::waitUntil([&] { return running.load(); }));
    advance(0.5);
    // A time-out reported at once would have finished the outcome on this thread by now.
    QCoreApplication::processEvents();
    EXPECT_FALSE(outcome->done()); // the running script cannot be interrupted
    release.release();
    ASSERT_TRUE(test::waitUntil([&] { return outcome->done(); }));
    EXPECT_NE(outcome->errorAs<TimeoutError>(), nullptr);
}

TEST_F(AppleScriptManagerTest, MutedAlertVolumeIsRestoredWithoutWaiting)
{
    struct Case
    {
        const char* name;
        int volume;
        bool canMakeScripts;
        bool operationFails;
        double restoredAfter; // < 0: never restored
    };
    const Case cases[] = {
        {"success restores after a second", 75, true, false, 1.0},
        {"failure restores at once and rethrows", 40, true, true, 0.0},
        {"a silent alert is left silent", 0, true, false, -1},
        {"no script interface: nothing is attempted, the operation runs", 60, false, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scripts().setAlertVolume(c.volume);
        scripts().setScriptsCanBeMade(c.canMakeScripts);
        int volumeDuringOperation = -1;
        auto outcome = test::start(m_manager.withMutedAlertVolume<int>([&]() -> QCoro::Task<int> {
            volumeDuringOperation = scripts().alertVolume();
            if (c.operationFails) {
                throw ErrorRecord("Test", 42);
            }
            co_return 7;
        }));
        ASSERT_TRUE(test::waitUntil([&] { return outcome->done(); }));
        EXPECT_EQ(volumeDuringOperation, c.canMakeScripts ? 0 : c.volume);
        if (c.operationFails) {
            const auto error = outcome->errorAs<ErrorRecord>();
            ASSERT_NE(error, nullptr);
            EXPECT_EQ(error->code(), 42);
        } else {
            EXPECT_EQ(outcome->value(), std::optional<int>(7));
        }
        if (c.restoredAfter > 0) {
            advance(c.restoredAfter - 0.001);
            EXPECT_EQ(scripts().alertVolume(), 0);
            advance(0.001);
        }
        if (c.restoredAfter >= 0) {
            EXPECT_TRUE(test::waitUntil([&] { return scripts().alertVolume() == c.volume; }));
        } else {
            advance(2);
            // A restore would have been started by now; a script started after it comes back
            // once the scripts before it have had their turn.
            auto probe = test::start(m_manager.runAppleScript("probe", 1));
            ASSERT_TRUE(test::waitUntil([&] { return probe->done(); }));
            EXPECT_EQ(scripts().alertVolume(), c.canMakeScripts ? 0 : c.volume);
        }
    }
}

TEST_F(AppleScriptManagerTest, BrowserActionsAnswerBooleansAndNeverThrow)
{
    scripts().setHandler([](const QString& source) -> std::optional<ScriptResult> {
        if (source.contains("insertText")) {
            return ScriptResult::success(source.contains("'ok'") ? "true" : "false");
        }
        return ScriptResult::failure(
            {{kScriptErrorNumberKey, -600}, {kScriptErrorMessageKey, "Application isn’t running."}});
    });
    EXPECT_EQ(run(m_manager.insertTextInBrowser("ok", "com.google.Chrome"))->value(), std::optional<bool>(true));
    EXPECT_EQ(run(m_manager.insertTextInBrowser("nope", "com.apple.Safari"))->value(), std::optional<bool>(false));
    desktop().systemLog().clear();
    EXPECT_EQ(run(m_manager.selectAllInputTextInBrowser("com.microsoft.edgemac"))->value(), std::optional<bool>(false));
    EXPECT_TRUE(log().constLast().startsWith("Failed to select all text in browser: appleScriptExecution("));
    EXPECT_EQ(run(m_manager.insertTextInBrowser("ok", "org.mozilla.firefox"))->value(), std::optional<bool>(false));
    EXPECT_EQ(log().constLast(),
              "Failed to insert text in browser: unsupportedBrowser(bundleID: \"org.mozilla.firefox\")");
    // Nothing runs for a browser that is not supported.
    EXPECT_EQ(scripts().executedSources().size(), 3);
}

} // namespace
} // namespace quillora
