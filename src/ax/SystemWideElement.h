#pragma once

#include "ax/UIElement.h"

namespace quillora {

/**
 * The element that stands for the whole desktop: its focused element is the focused element of
 * the frontmost application, its hit test finds elements of any application, and its messaging
 * time-out applies to every element without one of its own.
 */
class SystemWideElement final : public UIElement
{
public:
    SystemWideElement();
};

/** The shared system-wide element, made once on first use (from any thread) and kept for the process. */
[[nodiscard]] SystemWideElement& systemWideElement();

} // namespace quillora
