#pragma once

#include <QThread>

#include <qcoro/qcorotask.h>

#include <functional>

namespace quillora {

/**
 * An independent unit of work: a task that runs on a worker thread of its own, with its own event
 * loop, so that its timers and the answers of other threads reach it there. The thread ends when
 * the task ends. Used by the toolkit's callback entries, which return at once and call back from
 * the worker.
 */
class WorkerThreadTask final : public QThread
{
    Q_OBJECT

public:
    /** Starts `work` on a new worker thread and returns at once. */
    static void launch(std::function<QCoro::Task<>()> work);

protected:
    void run() override;

private:
    explicit WorkerThreadTask(std::function<QCoro::Task<>()> work);

    std::function<QCoro::Task<>()> m_work;
};

} // namespace quillora
