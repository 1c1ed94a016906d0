#include "platform/linux/JournalSystemLog.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// The journal library drops entries silently when no journal listens, so without a journal the
// messages must still reach the user somewhere.
TEST(JournalSystemLogTest, WithoutAJournalEachEntryIsALineOnStandardError)
{
    JournalSystemLog log(QStringLiteral("/nonexistent/journal/socket"));
    testing::internal::CaptureStderr();
    log.write(QStringLiteral("com.tessel.quillora"), QStringLiteral("app"), LogLevel::Error,
              QStringLiteral("quillora/BackendClient: ❌ Refused"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "com.tessel.quillora [app] quillora/BackendClient: ❌ Refused\n");
}

} // namespace
} // namespace quillora
