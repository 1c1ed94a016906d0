// The real clock's timers on the Qt event loop: what fires, and what an invalidation gives back.
#include "core/EventLoopClock.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

namespace quillora {
namespace {

void processPendingEvents()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, 0);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST(EventLoopClockTest, InvalidatedTimersNeverFireAndLeaveTheEventLoopAtOnce)
{
    EventLoopClock clock;
    int fired = 0;
    std::vector<Timer> distant;
    for (int i = 0; i < 200; ++i) {
        distant.push_back(clock.schedule(3600, [&fired] { ++fired; }));
    }
    const Timer due = clock.schedule(0, [&fired] { fired += 1000; });
    const Timer dropped = clock.schedule(0, [&fired] { ++fired; });
    EXPECT_EQ(clock.pendingTimers(), 202);

    dropped.invalidate();
    for (const Timer& timer : distant) {
        timer.invalidate();
    }
    // Invalidated from another thread, the timer is released by its own thread's loop.
    const Timer other = clock.schedule(3600, [&fired] { ++fired; });
    std::unique_ptr<QThread> invalidator(QThread::create([other] { other.invalidate(); }));
    invalidator->start();
    invalidator->wait();
    processPendingEvents();

    EXPECT_EQ(fired, 1000);
    EXPECT_FALSE(due.isValid());
    EXPECT_EQ(clock.pendingTimers(), 0);
    // Invalidating again, or after firing, changes nothing.
    due.invalidate();
    dropped.invalidate();
    processPendingEvents();
    EXPECT_EQ(fired, 1000);
}

} // namespace
} // namespace quillora
