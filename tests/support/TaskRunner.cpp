#include "support/TaskRunner.h"

namespace quillora::test {

std::shared_ptr<TaskOutcome<Void>> startVoid(QCoro::Task<> task)
{
    auto outcome = std::make_shared<TaskOutcome<Void>>();
    auto runner = collectVoid(std::move(task), outcome);
    (void)runner;
    return outcome;
}

} // namespace quillora::test
