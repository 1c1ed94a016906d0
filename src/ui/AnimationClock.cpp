#include "ui/AnimationClock.h"

#include "core/Clock.h"
#include "platform/Platform.h"

namespace quillora {

Clock& animationClock()
{
    return Platform::current().clock();
}

double animationNow()
{
    return animationClock().monotonicNow();
}

} // namespace quillora
