#include "core/EventLoopClock.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

namespace quillora {
namespace {

// A service restarts a long time-out on every request: a stopped timer must let go of what it
// holds at once, not a minute later when it would have fired.
TEST(EventLoopClockTest, AStoppedTimerReleasesItsCallbackAtOnceAndAZeroDelayOneRunsOnTheNextPass)
{
    EventLoopClock clock;

    auto held = std::make_shared<int>(0);
    Timer minute = clock.schedule(60, [held] { ++*held; });
    EXPECT_EQ(held.use_count(), 2);
    minute.invalidate();
    EXPECT_EQ(held.use_count(), 1);
    minute.invalidate();
    EXPECT_FALSE(minute.isValid());

    int ran = 0;
    Timer now = clock.schedule(0, [&ran] { ++ran; });
    Timer stopped = clock.schedule(0, [&ran] { ran += 10; });
    stopped.invalidate();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(now.isValid());
    EXPECT_EQ(*held, 0);
}

} // namespace
} // namespace quillora
