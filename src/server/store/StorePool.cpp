#include "server/store/StorePool.h"

#include "core/Clock.h"
#include "server/ServerError.h"
#include "server/store/Store.h"

#include <QThread>

#include <algorithm>

namespace quillora {

StorePool::StorePool(const DatabaseAddress& address, int connections, Clock& clock)
    : m_address(address)
    , m_clock(clock)
{
    // One after another, so that only the first connection finds an old schema to migrate and
    // a database that cannot be opened fails the start-up before any thread serves.
    for (int i = 0; i < std::max(connections, 1); ++i) {
        auto opened = std::make_shared<std::promise<void>>();
        std::future<void> ready = opened->get_future();
        std::unique_ptr<QThread> worker(QThread::create([this, opened] {
            std::unique_ptr<Store> store;
            try {
                store = std::make_unique<Store>(m_address);
            } catch (...) {
                opened->set_exception(std::current_exception());
                return;
            }
            opened->set_value();
            serve(*store);
        }));
        worker->setObjectName(QStringLiteral("database-%1").arg(i + 1));
        worker->start();
        m_workers.push_back(std::move(worker));
        try {
            ready.get();
        } catch (...) {
            close();
            throw;
        }
    }
}

StorePool::~StorePool()
{
    close();
}

std::shared_ptr<StorePool::Completion> StorePool::submit(std::function<void(Store&)> work, Urgency urgency)
{
    auto completion = std::make_shared<Completion>();
    enqueue({std::move(work), completion, std::chrono::steady_clock::now()}, urgency);
    return completion;
}

void StorePool::enqueue(Job job, Urgency urgency)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_closing) {
            throw ServerError(ServerError::Kind::Storage, QStringLiteral("the database connections are closed"));
        }
        if (urgency == Urgency::First) {
            job.first = true;
            m_queue.push_front(std::move(job));
        } else {
            m_queue.push_back(std::move(job));
        }
    }
    m_wake.notify_one();
}

void StorePool::serve(Store& store)
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_closing || !m_queue.empty(); });
            // Queued jobs still run after the pool closes: their callers are owed an answer.
            if (m_queue.empty()) {
                return;
            }
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - job.queuedAt;
        job.work(store);
        if (job.completion) {
            m_inbox.post(
                [this, completion = job.completion, seconds = waited.count()] {
                    if (m_waitObserver) {
                        m_waitObserver(seconds);
                    }
                    completion->delivered = true;
                    // Set on the main thread, which resumes the waiting task right here.
                    completion->done.set();
                },
                job.first);
        }
    }
}

QCoro::Task<bool> StorePool::answers(double timeoutSeconds)
{
    auto outcome = std::make_shared<WorkOutcome<bool>>();
    std::shared_ptr<Completion> completion;
    try {
        completion = submit(
            [outcome](Store& store) {
                auto ping = [](Store& pinged) { return pinged.ping(); };
                outcome->capture(ping, store);
            },
            Urgency::First);
    } catch (const ServerError&) {
        co_return false;
    }
    const Timer timeout = m_clock.schedule(timeoutSeconds, [completion] { completion->done.set(); });
    co_await completion->done.wait();
    timeout.invalidate();
    // Woken by the time-out, the job may still be running: its outcome is not to be read then.
    co_return completion->delivered && outcome->value.value_or(false);
}

bool StorePool::isClosed() const
{
    std::lock_guard lock(m_mutex);
    return m_closing;
}

void StorePool::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_all();
    for (const std::unique_ptr<QThread>& worker : m_workers) {
        worker->wait();
    }
    m_workers.clear();
    // The tasks resumed here may ask for more; the closed pool refuses them at once, so this
    // ends with nothing left waiting.
    m_inbox.drain();
}

} // namespace quillora
