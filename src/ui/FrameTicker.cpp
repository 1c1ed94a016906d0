#include "ui/FrameTicker.h"

#include "ui/AnimationClock.h"

namespace quillora {

FrameTicker::FrameTicker(QObject* owner, std::function<bool()> isAnimating, std::function<void()> onFrame)
    : m_owner(owner)
    , m_isAnimating(std::move(isAnimating))
    , m_onFrame(std::move(onFrame))
{
}

FrameTicker::~FrameTicker()
{
    m_timer.invalidate();
}

void FrameTicker::start()
{
    if (m_pending) {
        return;
    }
    m_pending = true;
    m_timer = animationClock().singleShot(frameInterval, m_owner, [this] { frame(); });
}

void FrameTicker::frame()
{
    m_pending = false;
    m_onFrame();
    if (m_isAnimating()) {
        start();
    }
}

} // namespace quillora
