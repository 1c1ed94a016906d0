#pragma once

#include "core/AsyncEvent.h"
#include "core/WorkOutcome.h"
#include "server/CompletionInbox.h"
#include "server/store/DatabaseAddress.h"

#include <qcoro/qcorotask.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <vector>

class QThread;

namespace quillora {

class Clock;
class Store;

/**
 * The database connections of the service, each a `Store` living in a thread of its own, so
 * that a slow statement or a lock held by someone else holds up one connection and never the
 * event loop. Jobs wait in one queue, in order of arrival (health checks go first), for the
 * next free connection; a task awaiting a job resumes on the main thread. The time each job
 * waited for a connection is reported to the wait observer. Made and used on the main thread.
 */
class StorePool final
{
public:
    /**
     * Opens `connections` connections to `address`, one after another (the first brings the
     * schema up to date). Timers for `answers` run on `clock`. Throws `ServerError` (Storage)
     * when a connection cannot be opened.
     */
    StorePool(const DatabaseAddress& address, int connections, Clock& clock);
    StorePool(const StorePool&) = delete;
    StorePool& operator=(const StorePool&) = delete;
    /** Closes the pool (see `close`). */
    ~StorePool();

    [[nodiscard]] const DatabaseAddress& address() const { return m_address; }

    /**
     * Runs `work(Store&)` on the next free connection and returns its value, rethrowing what it
     * threw (`ServerError` (Storage) for a database failure). `work` may run after its caller has
     * gone, so it captures by value; callers name it rather than write it inside the co_await
     * expression, whose temporaries GCC 12 destroys twice. Throws `ServerError` (Storage) once the
     * pool is closed.
     */
    template <typename Work> QCoro::Task<std::invoke_result_t<Work&, Store&>> run(Work work)
    {
        // Not a coroutine itself: the work is handed to the queue here, and only shared state
        // travels into the coroutine frame that waits for it.
        using Result = std::invoke_result_t<Work&, Store&>;
        auto outcome = std::make_shared<WorkOutcome<Result>>();
        std::shared_ptr<Completion> completion;
        try {
            completion =
                submit([outcome, work = std::move(work)](Store& store) mutable { outcome->capture(work, store); },
                       Urgency::Queued);
        } catch (...) {
            outcome->error = std::current_exception();
            completion = std::make_shared<Completion>();
            completion->done.set();
        }
        return awaitOutcome(std::move(outcome), std::move(completion));
    }

    /**
     * The same, blocking the calling thread until the job has run: for start-up and the command
     * line, never while serving, and never from a job. Throws what `work` threw.
     */
    template <typename Work> std::invoke_result_t<Work&, Store&> runBlocking(Work work)
    {
        using Result = std::invoke_result_t<Work&, Store&>;
        WorkOutcome<Result> outcome;
        auto ran = std::make_shared<std::promise<void>>();
        std::future<void> finished = ran->get_future();
        enqueue({[&outcome, &work, ran](Store& store) {
                     outcome.capture(work, store);
                     ran->set_value();
                 },
                 nullptr, std::chrono::steady_clock::now()},
                Urgency::Queued);
        finished.wait();
        return outcome.take();
    }

    /**
     * Whether the database answers a trivial query within `timeoutSeconds`, waiting ahead of the
     * queued jobs. False when it fails, when no connection came free in time, or once the pool is
     * closed. Never throws.
     */
    [[nodiscard]] QCoro::Task<bool> answers(double timeoutSeconds);

    /** Called on the main thread with the seconds each awaited job waited for a connection. */
    void setWaitObserver(std::function<void(double)> observer) { m_waitObserver = std::move(observer); }

    /**
     * Refuses new jobs, lets the connections finish the queued ones, closes them and resumes
     * every task still waiting for a job, before it returns. Idempotent.
     */
    void close();

    /** Whether `close` has begun: no job is taken any more. */
    [[nodiscard]] bool isClosed() const;

private:
    /** Whether a job waits behind the others or goes first. */
    enum class Urgency {
        Queued,
        First,
    };

    /** Shared by a job and the task awaiting it. */
    struct Completion
    {
        AsyncEvent done;
        /** Set on the main thread when the job's outcome can be read. */
        bool delivered = false;
    };

    struct Job
    {
        std::function<void(Store&)> work;
        /** Null for a blocking job. */
        std::shared_ptr<Completion> completion;
        std::chrono::steady_clock::time_point queuedAt;
        /** Handed back ahead of the other finished jobs too. */
        bool first = false;
    };

    template <typename Result>
    static QCoro::Task<Result> awaitOutcome(std::shared_ptr<WorkOutcome<Result>> outcome,
                                            std::shared_ptr<Completion> completion)
    {
        co_await completion->done.wait();
        co_return outcome->take();
    }

    std::shared_ptr<Completion> submit(std::function<void(Store&)> work, Urgency urgency);
    void enqueue(Job job, Urgency urgency);
    void serve(Store& store);

    DatabaseAddress m_address;
    Clock& m_clock;
    std::function<void(double)> m_waitObserver;
    std::vector<std::unique_ptr<QThread>> m_workers;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    bool m_closing = false;

    CompletionInbox m_inbox;
};

} // namespace quillora
