#include "support/EventLoopWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace quillora::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void awaitTask(QCoro::Task<> task, int timeoutMs)
{
    const auto outcome = startVoid(std::move(task));
    if (!waitUntil([&outcome] { return outcome->done(); }, timeoutMs)) {
        throw std::runtime_error("the task did not finish in time");
    }
    if (outcome->exception()) {
        std::rethrow_exception(outcome->exception());
    }
}

} // namespace quillora::test
