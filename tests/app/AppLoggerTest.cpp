#include "app/AppLogger.h"
#include "support/SimDesktopTest.h"

namespace quillora {
namespace {

class AppLoggerTest : public SimDesktopTest
{
protected:
    void TearDown() override
    {
        AppLogger::setCapture({});
        qunsetenv("QUILLORA_DEBUG_LOG");
        AppLogger::setup();
        SimDesktopTest::TearDown();
    }
};

TEST_F(AppLoggerTest, WritesNothingByDefaultButHandsLinesToTheCaptureAndTheDebugSwitchForwardsThem)
{
    qunsetenv("QUILLORA_DEBUG_LOG");
    AppLogger::setup();
    QStringList captured;
    AppLogger::setCapture([&](const QString& message, const QString& file) { captured << file + "|" + message; });
    AppLogger::log(QStringLiteral("✅ Saved"), QStringLiteral("quillora/HistoryManager"));
    EXPECT_EQ(captured, QStringList{QStringLiteral("quillora/HistoryManager|✅ Saved")});
    EXPECT_TRUE(desktop().systemLog().entries().isEmpty());

    qputenv("QUILLORA_DEBUG_LOG", "1");
    AppLogger::setup();
    AppLogger::log(QStringLiteral("❌ Failed to load history: gone"), QStringLiteral("quillora/HistoryManager"));
    AppLogger::log(QStringLiteral("🚀 Polishing"), QStringLiteral("quillora/AIPolishingService"));
    const auto& entries = desktop().systemLog().entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].level, LogLevel::Error);
    EXPECT_EQ(entries[0].message, QStringLiteral("quillora/HistoryManager: ❌ Failed to load history: gone"));
    EXPECT_EQ(entries[1].level, LogLevel::Info);
}

TEST_F(AppLoggerTest, SelectedTextReachesTheSystemLogOnlyWithDiagnosticLoggingButTheCaptureAlways)
{
    qputenv("QUILLORA_DEBUG_LOG", "1");
    AppLogger::setup();
    QStringList captured;
    AppLogger::setCapture([&](const QString& message, const QString&) { captured << message; });
    const auto logSelection = [] {
        AppLogger::log(QStringLiteral("✅ Confirmed Selection: \"%1...\"").arg(AppLogger::privateText("my secret")),
                       QStringLiteral("quillora/SelectionTracker"));
    };
    logSelection();
    qputenv("QUILLORA_DIAGNOSTIC_LOGGING", "1");
    logSelection();
    qunsetenv("QUILLORA_DIAGNOSTIC_LOGGING");
    const auto& entries = desktop().systemLog().entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].message, QStringLiteral("quillora/SelectionTracker: ✅ Confirmed Selection: \"<private>...\""));
    EXPECT_EQ(entries[1].message, QStringLiteral("quillora/SelectionTracker: ✅ Confirmed Selection: \"my secret...\""));
    EXPECT_EQ(captured.first(), QStringLiteral("✅ Confirmed Selection: \"my secret...\""));
}

} // namespace
} // namespace quillora
