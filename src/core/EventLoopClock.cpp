#include "core/EventLoopClock.h"

#include <QThread>
#include <QTimer>

#include <chrono>
#include <cmath>

namespace quillora {

double EventLoopClock::monotonicNow() const
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(now).count();
}

QDateTime EventLoopClock::wallNow() const
{
    return QDateTime::currentDateTime();
}

namespace {

/** A Qt timer counted among the clock's pending ones while it exists. */
class CountedTimer final : public QTimer
{
public:
    explicit CountedTimer(std::shared_ptr<std::atomic<int>> pending)
        : m_pending(std::move(pending))
    {
        ++*m_pending;
    }
    ~CountedTimer() override { --*m_pending; }

private:
    std::shared_ptr<std::atomic<int>> m_pending;
};

} // namespace

Timer EventLoopClock::schedule(double seconds, std::function<void()> callback)
{
    Timer timer;
    const int milliseconds =
        (!std::isfinite(seconds) || seconds <= 0) ? 0 : static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
    auto* qtimer = new CountedTimer(m_pending);
    // Precise timers: the pasteboard is polled every 5 ms and coarse timers would stretch that.
    qtimer->setTimerType(Qt::PreciseTimer);
    qtimer->setSingleShot(true);
    // Whichever comes first, firing or invalidation, deletes the Qt timer; the other does nothing.
    QObject::connect(qtimer, &QTimer::timeout, qtimer, [qtimer, timer, callback = std::move(callback)] {
        if (timer.claimFire()) {
            qtimer->deleteLater();
            callback();
        }
    });
    QThread* owner = QThread::currentThread();
    timer.onInvalidate([owner, qtimer] {
        runOnThread(owner, [qtimer] {
            qtimer->stop();
            qtimer->deleteLater();
        });
    });
    qtimer->start(milliseconds);
    return timer;
}

} // namespace quillora
