#pragma once

#include "core/Clock.h"

#include <atomic>
#include <memory>

namespace quillora {

/**
 * The real clock: steady monotonic time, the local wall clock, timers on the Qt event loop. An
 * invalidated timer leaves the event loop at once rather than when it would have fired, so that
 * a service setting a time-out per request does not pile up thousands of dead timers.
 */
class EventLoopClock final : public Clock
{
public:
    [[nodiscard]] double monotonicNow() const override;
    [[nodiscard]] QDateTime wallNow() const override;
    Timer schedule(double seconds, std::function<void()> callback) override;

    /** Qt timers held now: those scheduled that have neither fired nor been released. */
    [[nodiscard]] int pendingTimers() const { return m_pending->load(); }

private:
    std::shared_ptr<std::atomic<int>> m_pending = std::make_shared<std::atomic<int>>(0);
};

} // namespace quillora
