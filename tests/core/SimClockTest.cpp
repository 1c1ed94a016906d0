#include "support/SimDesktopTest.h"
#include "support/TaskRunner.h"

#include <QObject>

#include <vector>

namespace quillora {
namespace {

using SimClockTest = SimDesktopTest;

QCoro::Task<double> sleepThenReport(Clock& clock, double seconds, CancellationToken token)
{
    co_await clock.sleep(seconds, token);
    co_return clock.monotonicNow();
}

TEST_F(SimClockTest, TimersAndSleepersRunInDeadlineOrderAtTheirOwnTime)
{
    std::vector<std::pair<QString, double>> order;
    clock().schedule(0.375, [&] { order.emplace_back(QStringLiteral("timer 0.375"), clock().monotonicNow()); });
    auto sleeper = test::start(sleepThenReport(clock(), 0.25, CancellationToken()));
    clock().schedule(0.25, [&] { order.emplace_back(QStringLiteral("timer 0.25"), clock().monotonicNow()); });
    clock().schedule(0.125, [&] {
        order.emplace_back(QStringLiteral("timer 0.125"), clock().monotonicNow());
        // A timer scheduled from a callback still runs within the same advance when it falls due.
        clock().schedule(0.0625, [&] { order.emplace_back(QStringLiteral("nested 0.1875"), clock().monotonicNow()); });
    });

    advance(0.3);
    ASSERT_TRUE(sleeper->done());
    EXPECT_DOUBLE_EQ(*sleeper->value(), 0.25);
    const std::vector<std::pair<QString, double>> expected{{QStringLiteral("timer 0.125"), 0.125},
                                                           {QStringLiteral("nested 0.1875"), 0.1875},
                                                           {QStringLiteral("timer 0.25"), 0.25}};
    EXPECT_EQ(order, expected);
    EXPECT_DOUBLE_EQ(clock().monotonicNow(), 0.3);
    advance(0.1);
    EXPECT_EQ(order.size(), 4u);
}

TEST_F(SimClockTest, CancelledSleepWakesAtOnceAndLateTimerDoesNothing)
{
    CancellationToken token;
    auto sleeper = test::start(sleepThenReport(clock(), 10, token));
    advance(1);
    EXPECT_FALSE(sleeper->done());
    token.cancel();
    ASSERT_TRUE(sleeper->done());
    EXPECT_DOUBLE_EQ(*sleeper->value(), 1.0);
    EXPECT_EQ(clock().pendingTimers(), 0);

    // Already cancelled: no suspension at all.
    auto again = test::start(sleepThenReport(clock(), 10, token));
    EXPECT_TRUE(again->done());
}

TEST_F(SimClockTest, InvalidatedTimerAndDestroyedTargetDoNotFire)
{
    int fired = 0;
    Timer timer = clock().schedule(1, [&] { ++fired; });
    EXPECT_TRUE(timer.isValid());
    timer.invalidate();
    auto target = std::make_unique<QObject>();
    clock().singleShot(1, target.get(), [&] { ++fired; });
    target.reset();
    Timer kept = clock().schedule(1, [&] { fired += 10; });
    advance(2);
    EXPECT_EQ(fired, 10);
    EXPECT_FALSE(kept.isValid());
}

TEST_F(SimClockTest, WallClockCrossesMidnightWithMonotonicTime)
{
    clock().setWallNow(QDateTime(QDate(2026, 3, 1), QTime(23, 59), Qt::LocalTime));
    EXPECT_EQ(clock().wallNow().date(), QDate(2026, 3, 1));
    advance(120);
    EXPECT_EQ(clock().wallNow(), QDateTime(QDate(2026, 3, 2), QTime(0, 1), Qt::LocalTime));
}

} // namespace
} // namespace quillora
