#pragma once

#include <qcoro/qcorotask.h>

namespace quillora {

/**
 * Lets `task` run on by itself on the current thread: nobody awaits it, and its frame is freed
 * when it ends. This is the one way the code starts work it does not wait for. The task should
 * handle its own failures; an exception that still escapes it is written to the Qt warning log
 * and dropped, never rethrown.
 */
void runDetached(QCoro::Task<> task);

namespace detail {
template <typename T> QCoro::Task<> dropValue(QCoro::Task<T> task)
{
    co_await std::move(task);
}
} // namespace detail

/** The same for a task whose value nobody wants. */
template <typename T> void runDetached(QCoro::Task<T> task)
{
    runDetached(detail::dropValue(std::move(task)));
}

} // namespace quillora
