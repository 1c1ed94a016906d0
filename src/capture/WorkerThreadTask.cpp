#include "capture/WorkerThreadTask.h"

#include "capture/MainThread.h"
#include "core/Detached.h"

namespace quillora {

namespace {

QCoro::Task<> runToEnd(std::function<QCoro::Task<>()> work, bool* finished)
{
    // The work reports its own outcome; an escaping error must still end the thread.
    try {
        co_await work();
    } catch (...) {
    }
    *finished = true;
    QThread::currentThread()->quit();
}

} // namespace

WorkerThreadTask::WorkerThreadTask(std::function<QCoro::Task<>()> work)
    : m_work(std::move(work))
{
}

void WorkerThreadTask::launch(std::function<QCoro::Task<>()> work)
{
    auto* thread = new WorkerThreadTask(std::move(work));
    // The thread object is deleted by the main thread's loop once it has finished, whichever
    // thread started it.
    if (QThread* main = MainThread::thread()) {
        thread->moveToThread(main);
    }
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void WorkerThreadTask::run()
{
    bool finished = false;
    runDetached(runToEnd(m_work, &finished));
    // A task that ended without suspending needs no loop; otherwise it quits the loop as it ends.
    if (!finished) {
        exec();
    }
}

} // namespace quillora
