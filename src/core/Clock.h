#pragma once

#include "core/CancellationToken.h"

#include <QDateTime>
#include <QPointer>

#include <qcoro/qcorotask.h>

#include <atomic>
#include <functional>
#include <memory>

class QObject;
class QThread;

namespace quillora {

/**
 * Handle of a one-shot timer. Copies share one timer. A timer is valid until it fires or is
 * invalidated; destroying the handle does not stop it.
 */
class Timer
{
public:
    Timer();

    /** Stops the timer if it has not fired yet. Idempotent; safe from any thread. */
    void invalidate() const;

    /** True while the timer is scheduled and has neither fired nor been invalidated. */
    [[nodiscard]] bool isValid() const;

    /** Marks the timer as fired; returns false when it was already invalidated or fired. */
    [[nodiscard]] bool claimFire() const;

    /**
     * For clocks: `release` runs once, on the thread that invalidates the timer, if that happens
     * before it fires (at once when it already has). Lets a clock free what the timer holds.
     */
    void onInvalidate(std::function<void()> release) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

/**
 * The one clock of the system: monotonic time, local wall-clock time, one-shot timers and a
 * cancellable sleep. The real clock runs on the Qt event loop; the virtual clock (tests, demos)
 * moves only when told to. Timer callbacks run on the thread that scheduled them.
 */
class Clock
{
public:
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock() = default;

    /** Seconds on a monotonic scale with an arbitrary origin. Never fails. */
    [[nodiscard]] virtual double monotonicNow() const = 0;

    /** The current local wall-clock time. Never fails. */
    [[nodiscard]] virtual QDateTime wallNow() const = 0;

    /**
     * Runs `callback` once, `seconds` from now (zero: on the next pass of the loop), on the calling
     * thread. The returned timer can be invalidated before it fires. Never fails.
     */
    virtual Timer schedule(double seconds, std::function<void()> callback) = 0;

    /**
     * A one-shot timer that holds `target` weakly: once the target is destroyed the callback is
     * not run.
     */
    Timer singleShot(double seconds, QObject* target, std::function<void()> callback);

    /**
     * Suspends the calling task for `seconds`. A cancelled `token` ends the sleep early; the
     * cancellation is swallowed, so the caller simply resumes. Never throws. Negative or
     * non-finite durations count as zero.
     */
    QCoro::Task<> sleep(double seconds, CancellationToken token = CancellationToken());
};

/**
 * Runs `callback` on `thread`: directly when that is the current thread (or no thread is given),
 * else posted to that thread's event loop.
 */
void runOnThread(QThread* thread, std::function<void()> callback);

} // namespace quillora
