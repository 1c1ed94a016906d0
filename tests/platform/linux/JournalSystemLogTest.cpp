#include "platform/linux/JournalSystemLog.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// The journal library drops entries silently when no journal listens, so without a journal the
// errors must still reach the user somewhere; the chatter of the info level only when asked for.
TEST(JournalSystemLogTest, WithoutAJournalErrorsAreLinesOnStandardErrorAndInfoOnlyWithTheDebugSwitch)
{
    const QString subsystem = QStringLiteral("com.orrin.CaptureKit");
    const QString category = QStringLiteral("main");
    for (const bool debug : {false, true}) {
        if (debug) {
            qputenv("QUILLORA_DEBUG_LOG", "1");
        } else {
            qunsetenv("QUILLORA_DEBUG_LOG");
        }
        JournalSystemLog log(QStringLiteral("/nonexistent/journal/socket"));
        EXPECT_EQ(log.isEnabled(subsystem, category, LogLevel::Info), debug);
        testing::internal::CaptureStderr();
        log.write(subsystem, category, LogLevel::Info, QStringLiteral("Focused element changed"));
        log.write(QStringLiteral("com.tessel.quillora"), QStringLiteral("app"), LogLevel::Error,
                  QStringLiteral("quillora/BackendClient: ❌ Refused"));
        const std::string error = "com.tessel.quillora [app] quillora/BackendClient: ❌ Refused\n";
        const std::string info = "com.orrin.CaptureKit [main] Focused element changed\n";
        EXPECT_EQ(testing::internal::GetCapturedStderr(), debug ? info + error : error) << "debug " << debug;
    }
    qunsetenv("QUILLORA_DEBUG_LOG");
}

} // namespace
} // namespace quillora
