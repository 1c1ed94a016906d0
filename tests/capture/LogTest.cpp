#include "capture/Log.h"
#include "support/SimDesktopTest.h"

namespace quillora {
namespace {

using LogTest = SimDesktopTest;

TEST_F(LogTest, LinesCarryAZeroPaddedLocalTimestampSubsystemCategoryAndLevelUnlessTheLevelIsOff)
{
    clock().setWallNow(QDateTime(QDate(999, 12, 31), QTime(4, 0, 0, 7), Qt::LocalTime));
    EXPECT_EQ(logTimestamp(), QStringLiteral("0999-12-31 04:00:00.007000"));

    clock().setWallNow(QDateTime(QDate(2025, 3, 1), QTime(14, 5, 9, 250), Qt::LocalTime));
    logInfo(QStringLiteral("Trying strategy: accessibility"));
    advance(0.5);
    logError(QStringLiteral("Strategy failed: 50%"));

    const auto& entries = desktop().systemLog().entries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].level, LogLevel::Info);
    EXPECT_EQ(entries[0].message, QStringLiteral("[2025-03-01 14:05:09.250000] Trying strategy: accessibility"));
    EXPECT_EQ(entries[1].level, LogLevel::Error);
    EXPECT_EQ(entries[1].message, QStringLiteral("[2025-03-01 14:05:09.750000] Strategy failed: 50%"));

    desktop().systemLog().setInfoEnabled(false);
    logInfo(QStringLiteral("quiet"));
    EXPECT_EQ(desktop().systemLog().entries().size(), 2) << "a disabled info level writes nothing";
}

} // namespace
} // namespace quillora
