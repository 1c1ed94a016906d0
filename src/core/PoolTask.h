#pragma once

#include "core/AsyncEvent.h"
#include "core/WorkOutcome.h"

#include <QThreadPool>

#include <qcoro/qcorotask.h>

#include <memory>
#include <type_traits>

namespace quillora {

/**
 * Runs `work` on a thread of `pool` and resumes the awaiting task on its own thread with the
 * result, or with the exception `work` threw. `work` must not touch objects of the awaiting thread.
 */
template <typename Work> QCoro::Task<std::invoke_result_t<Work>> runOnPool(QThreadPool& pool, Work work)
{
    using Result = std::invoke_result_t<Work>;
    static_assert(!std::is_void_v<Result>, "runOnPool needs work that returns a value");
    struct Job
    {
        AsyncEvent done;
        WorkOutcome<Result> outcome;
    };
    auto job = std::make_shared<Job>();
    pool.start([job, work = std::move(work)]() mutable {
        job->outcome.capture(work);
        job->done.set();
    });
    co_await job->done.wait();
    co_return job->outcome.take();
}

} // namespace quillora
