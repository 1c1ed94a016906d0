#pragma once

#include "core/Clock.h"

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>

class QThread;

namespace quillora {

/**
 * The virtual clock: time stands still until `advance` moves it. Due timers run, and sleepers
 * resume, in deadline order (ties in scheduling order), each seeing `monotonicNow()` equal to its
 * deadline. The wall clock moves with the monotonic one and can be set to any local time.
 */
class SimClock final : public Clock
{
public:
    SimClock();

    [[nodiscard]] double monotonicNow() const override;
    [[nodiscard]] QDateTime wallNow() const override;
    Timer schedule(double seconds, std::function<void()> callback) override;

    /** Moves time forward by `seconds`, running everything that falls due on the way. */
    void advance(double seconds);

    /** Runs what is due now (timers scheduled with zero delay), without moving time. */
    void runDue() { advance(0); }

    /** Sets the local wall-clock time that corresponds to the current monotonic time. */
    void setWallNow(const QDateTime& localTime);

    /** Timers that are scheduled and still valid. */
    [[nodiscard]] int pendingTimers() const;

private:
    struct Entry
    {
        Timer timer;
        std::function<void()> callback;
        QThread* thread = nullptr;
    };

    mutable std::mutex m_mutex;
    double m_now = 0;
    std::uint64_t m_sequence = 0;
    QDateTime m_wallAtZero;
    std::map<std::pair<double, std::uint64_t>, Entry> m_entries;
};

} // namespace quillora
