#include "server/engines/UpstreamGate.h"

#include "core/AsyncEvent.h"
#include "core/Clock.h"

#include <algorithm>

namespace quillora {

struct UpstreamGate::Waiter
{
    int count = 0;
    bool granted = false;
    AsyncEvent done;
    Timer timer;
};

UpstreamGate::UpstreamGate(Clock& clock, int limit, double queueTimeout)
    : m_clock(clock)
    , m_limit(std::max(1, limit))
    , m_queueTimeout(queueTimeout)
{
}

UpstreamGate::~UpstreamGate()
{
    // Waiters left here belong to requests that a stop no longer waits for; they stay suspended.
    for (const auto& waiter : m_queue) {
        waiter->timer.invalidate();
    }
}

QCoro::Task<int> UpstreamGate::acquire(int count)
{
    count = std::clamp(count, 1, m_limit);
    if (m_queue.empty() && m_inFlight + count <= m_limit) {
        m_inFlight += count;
        co_return count;
    }
    auto waiter = std::make_shared<Waiter>();
    waiter->count = count;
    m_queue.push_back(waiter);
    waiter->timer = m_clock.schedule(m_queueTimeout, [this, weak = std::weak_ptr<Waiter>(waiter)] {
        const auto expired = weak.lock();
        if (!expired || expired->granted) {
            return;
        }
        m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), expired), m_queue.end());
        expired->done.set();
        // A large polishing at the head may have held back smaller ones behind it.
        admit();
    });
    co_await waiter->done.wait();
    co_return waiter->granted ? count : 0;
}

void UpstreamGate::release(int count)
{
    m_inFlight = std::max(0, m_inFlight - count);
    admit();
}

void UpstreamGate::admit()
{
    // Strictly in order of arrival, so that a polishing with many presets is not starved.
    while (!m_queue.empty() && m_inFlight + m_queue.front()->count <= m_limit) {
        const std::shared_ptr<Waiter> next = m_queue.front();
        m_queue.pop_front();
        m_inFlight += next->count;
        next->granted = true;
        next->timer.invalidate();
        next->done.set();
    }
}

} // namespace quillora
