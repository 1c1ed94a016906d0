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

} // namespace quillora
