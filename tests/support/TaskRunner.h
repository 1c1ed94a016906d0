#pragma once

#include "core/Detached.h"

#include "core/Error.h"

#include <qcoro/qcorotask.h>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace quillora::test {

/**
 * Starts a task and keeps its outcome for a test to inspect after moving the virtual clock:
 * `done()`, then `value()` or `error()`.
 */
template <typename T> class TaskOutcome
{
public:
    bool done() const { return m_done; }
    const std::optional<T>& value() const { return m_value; }
    std::exception_ptr exception() const { return m_exception; }
    /** The thrown error as our error type, or null. */
    ErrorPtr error() const { return m_exception ? errorFromException(m_exception) : nullptr; }
    /** The thrown error if it is an `E`, else null. */
    template <typename E> std::shared_ptr<const E> errorAs() const
    {
        return std::dynamic_pointer_cast<const E>(error());
    }

    void setValue(T value)
    {
        m_value = std::move(value);
        m_done = true;
    }
    void setException(std::exception_ptr exception)
    {
        m_exception = exception;
        m_done = true;
    }

private:
    bool m_done = false;
    std::optional<T> m_value;
    std::exception_ptr m_exception;
};

struct Void
{
};

template <typename T> QCoro::Task<> collect(QCoro::Task<T> task, std::shared_ptr<TaskOutcome<T>> outcome)
{
    try {
        outcome->setValue(co_await std::move(task));
    } catch (...) {
        outcome->setException(std::current_exception());
    }
}

inline QCoro::Task<> collectVoid(QCoro::Task<> task, std::shared_ptr<TaskOutcome<Void>> outcome)
{
    try {
        co_await std::move(task);
        outcome->setValue(Void{});
    } catch (...) {
        outcome->setException(std::current_exception());
    }
}

/** Starts `task` at once (it runs until its first suspension) and returns its outcome holder. */
template <typename T> std::shared_ptr<TaskOutcome<T>> start(QCoro::Task<T> task)
{
    auto outcome = std::make_shared<TaskOutcome<T>>();
    runDetached(collect<T>(std::move(task), outcome));
    return outcome;
}

/** The same for a task without a value. */
std::shared_ptr<TaskOutcome<Void>> startVoid(QCoro::Task<> task);

} // namespace quillora::test
