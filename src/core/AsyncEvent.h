#pragma once

#include <QThread>

#include <coroutine>
#include <mutex>
#include <vector>

namespace quillora {

/**
 * A one-shot event that tasks can wait for: `co_await event.wait()` suspends until `set()` is
 * called (or not at all once it has been). Waiters resume on their own thread, directly when
 * `set()` runs on that thread.
 */
class AsyncEvent
{
public:
    AsyncEvent() = default;
    AsyncEvent(const AsyncEvent&) = delete;
    AsyncEvent& operator=(const AsyncEvent&) = delete;

    /** Wakes every waiter; later waits return at once. Idempotent. */
    void set();

    /** True once `set()` has been called. */
    [[nodiscard]] bool isSet() const;

    class Awaiter
    {
    public:
        explicit Awaiter(AsyncEvent& event)
            : m_event(event)
        {
        }
        bool await_ready() const { return m_event.isSet(); }
        bool await_suspend(std::coroutine_handle<> handle);
        void await_resume() const noexcept {}

    private:
        AsyncEvent& m_event;
    };

    /** The awaitable that suspends until the event is set. */
    [[nodiscard]] Awaiter wait() { return Awaiter(*this); }

private:
    struct Waiter
    {
        std::coroutine_handle<> handle;
        QThread* thread = nullptr;
    };

    mutable std::mutex m_mutex;
    bool m_set = false;
    std::vector<Waiter> m_waiters;
};

} // namespace quillora
