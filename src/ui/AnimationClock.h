#pragma once

namespace quillora {

class Clock;

/** The platform's clock, which drives every animation and delay of the windows. */
[[nodiscard]] Clock& animationClock();

/** The platform clock's monotonic time in seconds: the time animations are evaluated at. */
[[nodiscard]] double animationNow();

} // namespace quillora
