#pragma once

#include <functional>

namespace quillora::test {

/**
 * Checks `condition` every 10 ms, running this process's event loop in between when it has one,
 * until it holds or `timeoutMs` pass. Returns whether it holds.
 */
bool waitFor(const std::function<bool()>& condition, int timeoutMs);

/** Lets `ms` pass while the event loop runs: for the pauses a person makes between gestures. */
void pause(int ms);

} // namespace quillora::test
