#pragma once

#include "core/SimClock.h"
#include "support/EventLoopWait.h"

namespace quillora::test {

/**
 * Runs a toolkit task to its end: spins the event loop, which brings in the answers of script
 * threads and callback workers, and runs what is due on the virtual clock; only when nothing
 * arrives for a short while does the clock move on by one 5 ms step. Returns whether `done` holds.
 */
inline bool drive(SimClock& clock, const std::function<bool()>& done, int maxSteps = 1000)
{
    for (int step = 0; step < maxSteps; ++step) {
        if (waitUntil(
                [&] {
                    clock.runDue();
                    return done();
                },
                2)) {
            return true;
        }
        clock.advance(0.005);
    }
    return done();
}

} // namespace quillora::test
