#include "core/Detached.h"

#include <QtGlobal>

#include <exception>

namespace quillora {

namespace {

QCoro::Task<> runToEnd(QCoro::Task<> task)
{
    try {
        co_await std::move(task);
    } catch (const std::exception& error) {
        qWarning("A detached task failed: %s", error.what());
    } catch (...) {
        qWarning("A detached task failed with an unknown error");
    }
}

} // namespace

void runDetached(QCoro::Task<> task)
{
    // A QCoro task whose handle is dropped before it finishes keeps running and frees its own
    // frame when it ends.
    [[maybe_unused]] const QCoro::Task<> detached = runToEnd(std::move(task));
}

} // namespace quillora
