#pragma once

#include <exception>
#include <optional>
#include <utility>

namespace quillora {

/**
 * What a piece of work run on another thread left for the one waiting for it: its value or the
 * exception it threw. `capture` runs the work; `take` returns the value or rethrows.
 */
template <typename Result> struct WorkOutcome
{
    std::optional<Result> value;
    std::exception_ptr error;

    template <typename Work, typename... Args> void capture(Work& work, Args&&... args)
    {
        try {
            value.emplace(work(std::forward<Args>(args)...));
        } catch (...) {
            error = std::current_exception();
        }
    }
    Result take()
    {
        if (error) {
            std::rethrow_exception(error);
        }
        return std::move(*value);
    }
};

template <> struct WorkOutcome<void>
{
    std::exception_ptr error;

    template <typename Work, typename... Args> void capture(Work& work, Args&&... args)
    {
        try {
            work(std::forward<Args>(args)...);
        } catch (...) {
            error = std::current_exception();
        }
    }
    void take()
    {
        if (error) {
            std::rethrow_exception(error);
        }
    }
};

} // namespace quillora
