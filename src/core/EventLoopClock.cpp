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

Timer EventLoopClock::schedule(double seconds, std::function<void()> callback)
{
    Timer timer;
    const int milliseconds =
        (!std::isfinite(seconds) || seconds <= 0) ? 0 : static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
    if (milliseconds == 0) {
        // A queued call: it never enters the event loop's timer list.
        QTimer::singleShot(0, [timer, callback = std::move(callback)] {
            if (timer.claimFire()) {
                callback();
            }
        });
        return timer;
    }
    // Precise timers: the pasteboard is polled every 5 ms and coarse timers would stretch that.
    auto* qtimer = new QTimer;
    qtimer->setSingleShot(true);
    qtimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(qtimer, &QTimer::timeout, qtimer, [qtimer, timer, callback = std::move(callback)] {
        qtimer->deleteLater();
        if (timer.claimFire()) {
            callback();
        }
    });
    // A timer stopped on its own thread is deleted at once. A service restarts a time-out on every
    // request; were the stopped ones left to expire, the event loop would carry every time-out of
    // the last minute, and each new one is inserted into that list in linear time. Stopped from
    // another thread, it stays until it would have fired and then does nothing.
    timer.setRelease([qtimer, owner = QThread::currentThread()] {
        if (QThread::currentThread() == owner) {
            delete qtimer;
        }
    });
    qtimer->start(milliseconds);
    return timer;
}

} // namespace quillora
