#pragma once

#include "support/Drive.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace quillora::test {

/**
 * Watches a completion callback that the toolkit calls from a worker thread (the callback entries
 * of the text and pasteboard managers share that mechanism): how often it ran and on which thread.
 */
class CallbackProbe
{
public:
    /** Notes one call of the callback; safe from any thread. */
    void record()
    {
        QThread* thread = QThread::currentThread();
        if (m_calls++ == 0) {
            // The worker's end is when a stray second call would have come.
            QObject::connect(
                thread, &QThread::finished, thread, [this] { m_workerDone = true; }, Qt::DirectConnection);
        }
        m_thread = thread;
    }

    /**
     * Drives the clock until the first call and the end of the worker thread that made it, then
     * checks that the callback ran exactly once and not on the calling thread.
     */
    [[nodiscard]] ::testing::AssertionResult ranOnceOffThread(SimClock& clock)
    {
        if (!drive(clock, [this] { return m_calls > 0; })) {
            return ::testing::AssertionFailure() << "the callback never ran";
        }
        if (m_thread != QThread::currentThread() && !drive(clock, [this] { return m_workerDone.load(); })) {
            return ::testing::AssertionFailure() << "the worker thread never ended";
        }
        if (m_calls != 1) {
            return ::testing::AssertionFailure() << "the callback ran " << m_calls << " times";
        }
        if (m_thread == QThread::currentThread()) {
            return ::testing::AssertionFailure() << "the callback ran on the calling thread";
        }
        return ::testing::AssertionSuccess();
    }

private:
    std::atomic<int> m_calls = 0;
    std::atomic<bool> m_workerDone = false;
    std::atomic<QThread*> m_thread = nullptr;
};

} // namespace quillora::test
