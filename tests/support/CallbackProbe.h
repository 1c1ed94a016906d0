#pragma once

#include "Drive.h"

#include <QThread>

#include <atomic>

namespace quillora::test {

/**
 * Watches a completion callback that the toolkit calls from a worker thread: how often it ran and
 * on which thread it ran last.
 */
class CallbackProbe
{
public:
    /** Notes one call of the callback; safe from any thread. */
    void record()
    {
        m_thread = QThread::currentThread();
        ++m_calls;
    }

    /**
     * Drives the clock until the first call, then gives a stray second call a short while to show
     * up. Returns whether the callback was called at all.
     */
    [[nodiscard]] bool settle(SimClock& clock)
    {
        if (!drive(clock, [this] { return m_calls > 0; })) {
            return false;
        }
        waitUntil([] { return false; }, 20);
        return true;
    }

    [[nodiscard]] int calls() const { return m_calls; }
    [[nodiscard]] QThread* thread() const { return m_thread; }

private:
    std::atomic<int> m_calls = 0;
    std::atomic<QThread*> m_thread = nullptr;
};

} // namespace quillora::test
