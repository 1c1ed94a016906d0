#pragma once

#include "core/Clock.h"

namespace quillora {

/** The real clock: steady monotonic time, the local wall clock, timers on the Qt event loop. */
class EventLoopClock final : public Clock
{
public:
    [[nodiscard]] double monotonicNow() const override;
    [[nodiscard]] QDateTime wallNow() const override;
    Timer schedule(double seconds, std::function<void()> callback) override;
};

} // namespace quillora
