#pragma once

#include "support/TaskRunner.h"

#include <qcoro/qcorotask.h>

#include <functional>
#include <stdexcept>

namespace quillora::test {

/**
 * Spins the Qt event loop until `condition` holds or `timeoutMs` of real time pass. For waiting on
 * real I/O (a loopback socket), never on virtual time. Returns whether the condition holds.
 */
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10'000);

/** Runs `task` to completion by spinning the event loop; returns its value or rethrows its error. */
template <typename T> T awaitTask(QCoro::Task<T> task, int timeoutMs = 10'000)
{
    const auto outcome = start(std::move(task));
    if (!waitUntil([&outcome] { return outcome->done(); }, timeoutMs)) {
        throw std::runtime_error("the task did not finish in time");
    }
    if (outcome->exception()) {
        std::rethrow_exception(outcome->exception());
    }
    return *outcome->value();
}

/** The same for a task without a value. */
void awaitTask(QCoro::Task<> task, int timeoutMs = 10'000);

} // namespace quillora::test
