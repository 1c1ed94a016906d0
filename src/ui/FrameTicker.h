#pragma once

#include "core/Clock.h"

#include <functional>

class QObject;

namespace quillora {

/**
 * Drives an animation frame by frame on the platform clock: once started, it runs `onFrame` about
 * sixty times a second for as long as `isAnimating` says so, then stops by itself. On the virtual
 * clock the frames run as time is advanced.
 */
class FrameTicker final
{
public:
    /** A ticker whose frames run only while `owner` exists. */
    FrameTicker(QObject* owner, std::function<bool()> isAnimating, std::function<void()> onFrame);
    ~FrameTicker();
    FrameTicker(const FrameTicker&) = delete;
    FrameTicker& operator=(const FrameTicker&) = delete;

    /** Schedules the next frame unless one is pending. */
    void start();

    /** Seconds between frames. */
    static constexpr double frameInterval = 1.0 / 60.0;

private:
    void frame();

    QObject* m_owner;
    std::function<bool()> m_isAnimating;
    std::function<void()> m_onFrame;
    Timer m_timer;
    bool m_pending = false;
};

} // namespace quillora
