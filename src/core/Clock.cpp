#include "core/Clock.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QThread>

#include <cmath>
#include <coroutine>
#include <mutex>

namespace quillora {

struct Timer::State
{
    std::atomic<bool> valid{true};
    std::mutex mutex;
    bool invalidated = false;
    std::function<void()> release;
};

Timer::Timer()
    : m_state(std::make_shared<State>())
{
}

void Timer::invalidate() const
{
    if (!m_state->valid.exchange(false)) {
        return;
    }
    std::function<void()> release;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->invalidated = true;
        release = std::move(m_state->release);
    }
    if (release) {
        release();
    }
}

bool Timer::isValid() const
{
    return m_state->valid.load();
}

bool Timer::claimFire() const
{
    return m_state->valid.exchange(false);
}

void Timer::onInvalidate(std::function<void()> release) const
{
    {
        std::lock_guard lock(m_state->mutex);
        if (!m_state->invalidated) {
            m_state->release = std::move(release);
            return;
        }
    }
    release();
}

Timer Clock::singleShot(double seconds, QObject* target, std::function<void()> callback)
{
    QPointer<QObject> weakTarget(target);
    return schedule(seconds, [weakTarget, callback = std::move(callback)] {
        if (weakTarget) {
            callback();
        }
    });
}

void runOnThread(QThread* thread, std::function<void()> callback)
{
    if (thread == nullptr || thread == QThread::currentThread()) {
        callback();
        return;
    }
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread)) {
        QMetaObject::invokeMethod(dispatcher, std::move(callback), Qt::QueuedConnection);
        return;
    }
    callback();
}

namespace {

// Shared between a suspended sleeper, its timer and its cancellation callback: whichever wakes it
// first resumes the coroutine; the other finds it done.
struct SleepState
{
    std::mutex mutex;
    std::coroutine_handle<> handle;
    QThread* thread = nullptr;
    bool suspended = false;
    bool woken = false;
    Timer timer;
    CancellationToken::Registration registration;

    void wake()
    {
        std::coroutine_handle<> toResume;
        QThread* owner = nullptr;
        {
            std::lock_guard lock(mutex);
            if (woken) {
                return;
            }
            woken = true;
            timer.invalidate();
            if (!suspended) {
                return; // Woken while still registering: the awaiter will not suspend.
            }
            toResume = handle;
            owner = thread;
        }
        runOnThread(owner, [toResume] { toResume.resume(); });
    }
};

// Copyable (it only shares the state), because the coroutine machinery may copy awaiters.
class SleepAwaiter
{
public:
    SleepAwaiter(Clock& clock, double seconds, CancellationToken token)
        : m_clock(&clock)
        , m_seconds(seconds)
        , m_token(std::move(token))
        , m_state(std::make_shared<SleepState>())
    {
    }

    bool await_ready() const noexcept { return false; }

    bool await_suspend(std::coroutine_handle<> handle)
    {
        m_state->handle = handle;
        m_state->thread = QThread::currentThread();
        auto state = m_state;
        m_state->timer = m_clock->schedule(m_seconds, [state] { state->wake(); });
        auto registration = m_token.onCancel([state] { state->wake(); });
        std::lock_guard lock(m_state->mutex);
        m_state->registration = std::move(registration);
        if (m_state->woken) {
            return false;
        }
        m_state->suspended = true;
        return true;
    }

    void await_resume() const noexcept
    {
        CancellationToken::Registration registration;
        {
            std::lock_guard lock(m_state->mutex);
            registration = std::move(m_state->registration);
        }
    }

private:
    Clock* m_clock;
    double m_seconds;
    CancellationToken m_token;
    std::shared_ptr<SleepState> m_state;
};

} // namespace

QCoro::Task<> Clock::sleep(double seconds, CancellationToken token)
{
    if (!std::isfinite(seconds) || seconds < 0) {
        seconds = 0;
    }
    if (token.isCancelled()) {
        co_return;
    }
    // A named awaiter rather than a temporary: GCC 12 mishandles the lifetime of temporaries
    // inside co_await expressions.
    SleepAwaiter awaiter(*this, seconds, token);
    co_await awaiter;
}

} // namespace quillora
