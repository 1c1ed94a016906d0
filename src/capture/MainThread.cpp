#include "capture/MainThread.h"

#include <QCoreApplication>
#include <QThread>

namespace quillora {

QThread* MainThread::thread()
{
    const QCoreApplication* application = QCoreApplication::instance();
    return application != nullptr ? application->thread() : nullptr;
}

bool MainThread::isCurrent()
{
    QThread* main = thread();
    return main == nullptr || main == QThread::currentThread();
}

void MainThread::post(std::function<void()> callback)
{
    runOnThread(thread(), std::move(callback));
}

} // namespace quillora
