#pragma once

#include "platform/Accessibility.h"

struct _AtspiAccessible;

namespace quillora {

class Screens;

/**
 * Reads one "AX…" attribute of an accessible element (not the system-wide element, not an
 * application by process id) from AT-SPI, as ACCESSIBILITY.md maps them; positions come in
 * screen points of `screens`. Answers AttributeUnsupported for attributes the element does
 * not have, NoValue for empty ones, CannotComplete when the application does not answer in time
 * and InvalidUIElement when the element has gone.
 */
[[nodiscard]] AXReply<AXAny> readElementAttribute(_AtspiAccessible* accessible, const QString& attribute,
                                                  const Screens& screens);

} // namespace quillora
