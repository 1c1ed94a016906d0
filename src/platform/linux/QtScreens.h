#pragma once

#include "platform/Screens.h"

namespace quillora {

/**
 * The screens Qt knows (QGuiApplication::screens(), the primary first), converted from Qt's
 * top-left coordinates of the virtual desktop to screen points. Read afresh
 * on every call, so plugging a monitor in needs no notification. Empty without a QGuiApplication.
 */
class QtScreens final : public Screens
{
public:
    [[nodiscard]] QList<Screen> screens() const override;
    [[nodiscard]] std::optional<Screen> mainScreen() const override;
    [[nodiscard]] ScreenCoordinates coordinates() const override;
};

} // namespace quillora
