#include "core/SimClock.h"

#include <QThread>
#include <QTimeZone>

#include <cmath>

namespace quillora {

SimClock::SimClock()
    : m_wallAtZero(QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::LocalTime))
{
}

double SimClock::monotonicNow() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

QDateTime SimClock::wallNow() const
{
    std::lock_guard lock(m_mutex);
    return m_wallAtZero.addMSecs(std::llround(m_now * 1000.0));
}

Timer SimClock::schedule(double seconds, std::function<void()> callback)
{
    if (!std::isfinite(seconds) || seconds < 0) {
        seconds = 0;
    }
    Timer timer;
    std::lock_guard lock(m_mutex);
    m_entries.emplace(std::make_pair(m_now + seconds, m_sequence++),
                      Entry{timer, std::move(callback), QThread::currentThread()});
    return timer;
}

void SimClock::advance(double seconds)
{
    double target = 0;
    {
        std::lock_guard lock(m_mutex);
        target = m_now + std::max(0.0, seconds);
    }
    for (;;) {
        Entry entry;
        {
            std::lock_guard lock(m_mutex);
            auto first = m_entries.begin();
            if (first == m_entries.end() || first->first.first > target) {
                m_now = target;
                return;
            }
            m_now = std::max(m_now, first->first.first);
            entry = std::move(first->second);
            m_entries.erase(first);
        }
        if (entry.timer.claimFire()) {
            runOnThread(entry.thread, std::move(entry.callback));
        }
    }
}

void SimClock::setWallNow(const QDateTime& localTime)
{
    std::lock_guard lock(m_mutex);
    m_wallAtZero = localTime.addMSecs(-std::llround(m_now * 1000.0));
}

int SimClock::pendingTimers() const
{
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const auto& [key, entry] : m_entries) {
        count += entry.timer.isValid() ? 1 : 0;
    }
    return count;
}

} // namespace quillora
