#pragma once

#include <qcoro/qcorotask.h>

#include <deque>
#include <memory>

namespace quillora {

class Clock;

/**
 * Bounds the upstream requests in flight: a polishing takes one slot per preset before it asks
 * the engine and gives them back when the engine has answered. Polishings that do not fit wait
 * in order of arrival, each at most the queue time-out. Lives on the main thread.
 */
class UpstreamGate final
{
public:
    /** `limit` slots; a waiting polishing gives up after `queueTimeout` seconds. */
    UpstreamGate(Clock& clock, int limit, double queueTimeout);
    ~UpstreamGate();
    UpstreamGate(const UpstreamGate&) = delete;
    UpstreamGate& operator=(const UpstreamGate&) = delete;

    /**
     * Waits for `count` slots (at most the limit) and returns how many were taken, which the
     * caller must `release`; 0 when the wait outlasted the queue time-out. Never throws.
     */
    [[nodiscard]] QCoro::Task<int> acquire(int count);

    /** Gives back `count` slots and admits the waiting polishings that now fit. */
    void release(int count);

    [[nodiscard]] int inFlight() const { return m_inFlight; }
    [[nodiscard]] int queued() const { return static_cast<int>(m_queue.size()); }

private:
    struct Waiter;

    void admit();

    Clock& m_clock;
    int m_limit;
    double m_queueTimeout;
    int m_inFlight = 0;
    std::deque<std::shared_ptr<Waiter>> m_queue;
};

} // namespace quillora
