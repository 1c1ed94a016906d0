#include "core/AsyncEvent.h"

#include "core/Clock.h"

namespace quillora {

void AsyncEvent::set()
{
    std::vector<Waiter> waiters;
    {
        std::lock_guard lock(m_mutex);
        if (m_set) {
            return;
        }
        m_set = true;
        waiters.swap(m_waiters);
    }
    for (const Waiter& waiter : waiters) {
        runOnThread(waiter.thread, [handle = waiter.handle] { handle.resume(); });
    }
}

bool AsyncEvent::isSet() const
{
    std::lock_guard lock(m_mutex);
    return m_set;
}

bool AsyncEvent::Awaiter::await_suspend(std::coroutine_handle<> handle)
{
    std::lock_guard lock(m_event.m_mutex);
    if (m_event.m_set) {
        return false;
    }
    m_event.m_waiters.push_back(Waiter{handle, QThread::currentThread()});
    return true;
}

} // namespace quillora
