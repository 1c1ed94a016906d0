#pragma once

#include "platform/Compositor.h"

namespace quillora {

class ShellCompanion;

/** GNOME Shell's answers about the pointer and the focused window, through the companion. */
class ShellCompanionCompositor final : public Compositor
{
public:
    explicit ShellCompanionCompositor(ShellCompanion& companion)
        : m_companion(companion)
    {
    }

    [[nodiscard]] QCoro::Task<std::optional<QPointF>> pointerLocation() override;
    [[nodiscard]] QCoro::Task<std::optional<ForeignWindow>> focusedWindow() override;

private:
    ShellCompanion& m_companion;
};

} // namespace quillora
