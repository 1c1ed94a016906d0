#pragma once

#include "platform/ScreenCoordinates.h"

#include <QList>
#include <QRectF>

#include <optional>

namespace quillora {

/** One display, in screen points (points, origin bottom-left of the primary screen, y up). */
struct Screen
{
    /** The whole screen. */
    QRectF frame;
    /** The screen less the desktop's panels and docks: where windows may go. */
    QRectF visibleFrame;

    bool operator==(const Screen&) const = default;
};

/** The displays attached to the desktop. Main thread. */
class Screens
{
public:
    Screens() = default;
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;
    virtual ~Screens() = default;

    /** The screens in the platform's order, the primary screen first; empty when there is no display. */
    [[nodiscard]] virtual QList<Screen> screens() const = 0;

    /** The main screen (the primary one), or none when there is no display. */
    [[nodiscard]] virtual std::optional<Screen> mainScreen() const = 0;

    /** The conversion between screen points and Qt's for the current screen layout. */
    [[nodiscard]] virtual ScreenCoordinates coordinates() const = 0;
};

} // namespace quillora
