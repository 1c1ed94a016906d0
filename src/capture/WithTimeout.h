#pragma once

#include "capture/TimeoutError.h"
#include "core/AsyncEvent.h"
#include "core/CancellationToken.h"
#include "core/Clock.h"
#include "platform/Platform.h"

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace quillora {

/**
 * Suspends the calling task for `seconds` on the platform clock. Cancelling `token` ends the
 * sleep early; the cancellation is swallowed and the caller simply resumes. Never throws.
 */
inline QCoro::Task<> sleep(double seconds, CancellationToken token = CancellationToken())
{
    co_await Platform::current().clock().sleep(seconds, std::move(token));
}

namespace detail {

// The shared state of one race between an operation and its timer: the first outcome wins; the
// race is over only when both have ended.
template <typename T> struct TimeoutRace
{
    std::optional<T> value;
    std::exception_ptr error;
    bool settled = false;
    int finished = 0;
    AsyncEvent firstDone;
    AsyncEvent allDone;

    void settle(std::optional<T> result, std::exception_ptr failure)
    {
        if (!settled) {
            settled = true;
            value = std::move(result);
            error = failure;
            firstDone.set();
        }
    }

    void childEnded()
    {
        if (++finished == 2) {
            allDone.set();
        }
    }
};

template <typename T>
QCoro::Task<> runTimedOperation(std::shared_ptr<TimeoutRace<T>> race,
                                std::function<QCoro::Task<T>(CancellationToken)> operation, CancellationToken token)
{
    try {
        T result = co_await operation(token);
        race->settle(std::move(result), nullptr);
    } catch (...) {
        race->settle(std::nullopt, std::current_exception());
    }
    race->childEnded();
}

template <typename T>
QCoro::Task<> runTimeoutTimer(std::shared_ptr<TimeoutRace<T>> race, double seconds, CancellationToken token)
{
    co_await Platform::current().clock().sleep(seconds, token);
    // A timer woken by cancellation also reports; the race ignores it once the operation has won.
    race->settle(std::nullopt, std::make_exception_ptr(TimeoutError()));
    race->childEnded();
}

} // namespace detail

/**
 * Runs `operation` against a time limit of `seconds`. Returns the operation's value when it ends
 * first; rethrows the operation's own error when it fails first; throws `TimeoutError` when the
 * limit passes first. Either way the loser is cancelled through its token and awaited before this
 * returns, so an operation that ignores cancellation delays the `TimeoutError` until it ends.
 * Cancelling `parent` cancels both.
 */
template <typename T>
QCoro::Task<T> withTimeout(double seconds, std::function<QCoro::Task<T>(CancellationToken)> operation,
                           CancellationToken parent = CancellationToken())
{
    auto race = std::make_shared<detail::TimeoutRace<T>>();
    const CancellationToken group = parent.child();
    // Both children start at once and run until their first suspension; their task handles are
    // dropped on purpose, the race state tracks their end.
    {
        auto operationTask = detail::runTimedOperation<T>(race, std::move(operation), group);
        auto timerTask = detail::runTimeoutTimer<T>(race, seconds, group);
    }
    co_await race->firstDone.wait();
    group.cancel();
    co_await race->allDone.wait();
    if (race->error) {
        std::rethrow_exception(race->error);
    }
    co_return std::move(*race->value);
}

} // namespace quillora
