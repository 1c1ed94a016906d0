#include "capture/WithTimeout.h"

#include "support/SimDesktopTest.h"
#include "support/TaskRunner.h"

#include <QString>

namespace quillora {
namespace {

using WithTimeoutTest = SimDesktopTest;
using Text = std::optional<QString>;

// An operation that takes `seconds` and then returns; with `observeCancellation` it stops as soon
// as it is cancelled (and returns nothing), otherwise it runs to its end regardless.
std::function<QCoro::Task<Text>(CancellationToken)> operationTaking(double seconds, bool observeCancellation,
                                                                    int* ended = nullptr)
{
    return [=](CancellationToken token) -> QCoro::Task<Text> {
        // A named token: GCC 12 destroys temporaries of a conditional inside co_await twice.
        const CancellationToken sleepToken = observeCancellation ? token : CancellationToken();
        co_await sleep(seconds, sleepToken);
        if (ended != nullptr) {
            ++*ended;
        }
        co_return token.isCancelled() ? Text() : Text(QStringLiteral("done"));
    };
}

TEST_F(WithTimeoutTest, RaceBetweenOperationAndTimer)
{
    struct Case
    {
        const char* name;
        double operationSeconds;
        bool observesCancellation;
        double errorAt; // < 0: the operation's value is returned
        double endsAt;
    };
    const Case cases[] = {
        {"fast operation returns its value", 0.01, true, -1, 0.01},
        {"cooperative operation is cut off at the limit", 10, true, 0.1, 0.1},
        {"non-cooperative operation delays the time-out until it ends", 1, false, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double start = clock().monotonicNow();
        int ended = 0;
        auto outcome =
            test::start(withTimeout<Text>(0.1, operationTaking(c.operationSeconds, c.observesCancellation, &ended)));
        for (int step = 0; step < 2000 && !outcome->done(); ++step) {
            advance(0.005);
        }
        ASSERT_TRUE(outcome->done());
        EXPECT_NEAR(clock().monotonicNow() - start, c.endsAt, 0.0051);
        EXPECT_EQ(ended, 1); // the operation has always ended by the time withTimeout returns
        if (c.errorAt < 0) {
            EXPECT_EQ(outcome->value(), std::optional<Text>(QStringLiteral("done")));
        } else {
            EXPECT_NE(outcome->errorAs<TimeoutError>(), nullptr);
        }
        // No timer of the race is left behind.
        advance(20);
        EXPECT_EQ(clock().pendingTimers(), 0);
    }
}

TEST_F(WithTimeoutTest, OperationErrorPassesThroughUnchangedAndCancellingTheCallerCancelsTheOperation)
{
    auto failing = [](CancellationToken) -> QCoro::Task<Text> {
        co_await sleep(0.05);
        throw ErrorRecord(QStringLiteral("Test"), 7);
    };
    auto failed = test::start(withTimeout<Text>(1, failing));
    advance(0.05);
    ASSERT_TRUE(failed->done());
    const auto record = failed->errorAs<ErrorRecord>();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->code(), 7);

    CancellationToken caller;
    auto outcome = test::start(withTimeout<Text>(5, operationTaking(10, true), caller));
    advance(1);
    EXPECT_FALSE(outcome->done());
    caller.cancel();
    ASSERT_TRUE(outcome->done());
    // The cancelled operation ended first and returned its (empty) value: its sleep swallowed the
    // cancellation instead of throwing.
    EXPECT_EQ(outcome->value(), std::optional<Text>(Text()));
}

} // namespace
} // namespace quillora
