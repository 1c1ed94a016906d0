// The bound on upstream requests in flight, on the virtual clock.
#include "server/UpstreamGate.h"

#include "core/Detached.h"
#include "support/SimDesktopTest.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

class UpstreamGateTest : public SimDesktopTest
{
};

/** Starts waiting for `count` and returns where the outcome will appear (-1 while waiting). */
std::shared_ptr<int> request(UpstreamGate& gate, int count)
{
    auto outcome = std::make_shared<int>(-1);
    runDetached([](UpstreamGate& gate, int count, std::shared_ptr<int> outcome) -> QCoro::Task<> {
        *outcome = co_await gate.acquire(count);
    }(gate, count, outcome));
    return outcome;
}

TEST_F(UpstreamGateTest, PolishingsBeyondTheLimitWaitInOrderAndGiveUpAfterTheQueueTimeOut)
{
    UpstreamGate gate(clock(), 8, 30);
    const auto first = request(gate, 4);
    const auto second = request(gate, 4);
    const auto third = request(gate, 4);
    const auto small = request(gate, 1);
    // More presets than the limit take the whole limit, not a slot that never comes.
    EXPECT_EQ(*first, 4);
    EXPECT_EQ(*second, 4);
    EXPECT_EQ(*third, -1);
    EXPECT_EQ(*small, -1) << "a small polishing does not overtake the queue";
    EXPECT_EQ(gate.queued(), 2);

    advance(20);
    gate.release(4);
    EXPECT_EQ(*third, 4);
    EXPECT_EQ(*small, -1);
    gate.release(4);
    EXPECT_EQ(*small, 1);
    EXPECT_EQ(gate.inFlight(), 5);

    const auto huge = request(gate, 100);
    const auto late = request(gate, 1);
    advance(29);
    EXPECT_EQ(*huge, -1);
    advance(2);
    EXPECT_EQ(*huge, 0);
    // The one that held it back has given up, so the one behind it fits now.
    EXPECT_EQ(*late, 1);
    EXPECT_EQ(gate.queued(), 0);
    gate.release(6);
    EXPECT_EQ(*request(gate, 100), 8);
}

} // namespace
} // namespace quillora
