#pragma once

#include "core/AsyncEvent.h"
#include "core/Clock.h"

#include <qcoro/qcorotask.h>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

class QThread;

namespace quillora {

namespace detail {

template <typename T> struct MainThreadHop
{
    std::optional<T> value;
    std::exception_ptr error;
    AsyncEvent done;
};

template <typename T> QCoro::Task<> runHop(std::shared_ptr<MainThreadHop<T>> hop, std::function<QCoro::Task<T>()> body)
{
    try {
        hop->value.emplace(co_await body());
    } catch (...) {
        hop->error = std::current_exception();
    }
    hop->done.set();
}

} // namespace detail

/**
 * The application's main thread, where the pasteboard, the menus and the windows live. Work that
 * must run there hops over with `run` and the caller resumes on its own thread afterwards.
 */
class MainThread final
{
public:
    /** The thread of the application object; null when there is none. */
    [[nodiscard]] static QThread* thread();

    /** True on the main thread, and on any thread while there is no application object. */
    [[nodiscard]] static bool isCurrent();

    /** Runs `callback` on the main thread: at once when called there, else on its next loop pass. */
    static void post(std::function<void()> callback);

    /**
     * Runs the task made by `body` on the main thread and returns its value (or rethrows its
     * error) on the calling thread, which must run an event loop when it is not the main thread.
     * On the main thread the task simply runs inline.
     */
    template <typename T> static QCoro::Task<T> run(std::function<QCoro::Task<T>()> body)
    {
        if (isCurrent()) {
            co_return co_await body();
        }
        auto hop = std::make_shared<detail::MainThreadHop<T>>();
        post([hop, body = std::move(body)] {
            // The task ends by itself; the hop state carries its outcome back.
            auto task = detail::runHop<T>(hop, body);
            (void)task;
        });
        co_await hop->done.wait();
        if (hop->error) {
            std::rethrow_exception(hop->error);
        }
        co_return std::move(*hop->value);
    }
};

} // namespace quillora
