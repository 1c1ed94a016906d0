#include "support/TaskRunner.h"

namespace quillora::test {

std::shared_ptr<TaskOutcome<Void>> startVoid(QCoro::Task<> task)
{
    auto outcome = std::make_shared<TaskOutcome<Void>>();
    runDetached(collectVoid(std::move(task), outcome));
    return outcome;
}

} // namespace quillora::test
