#include "core/EventLoopClock.h"

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
    // Precise timers: the pasteboard is polled every 5 ms and coarse timers would stretch that.
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, [timer, callback = std::move(callback)] {
        if (timer.claimFire()) {
            callback();
        }
    });
    return timer;
}

} // namespace quillora
