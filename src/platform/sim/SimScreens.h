#pragma once

#include "platform/Screens.h"

namespace quillora {

/**
 * Screens that tests set. Starts with one 1920 × 1080 screen whose top 32 points are a panel. The
 * first screen is the primary one: its bottom-left corner is the origin, and Qt's coordinates put
 * its top-left corner at (0, 0).
 */
class SimScreens final : public Screens
{
public:
    SimScreens();

    [[nodiscard]] QList<Screen> screens() const override { return m_screens; }
    [[nodiscard]] std::optional<Screen> mainScreen() const override;
    [[nodiscard]] ScreenCoordinates coordinates() const override;

    /** Replaces the screens; `mainIndex` picks the main screen (none when out of range). */
    void setScreens(QList<Screen> screens, qsizetype mainIndex = 0);

private:
    QList<Screen> m_screens;
    qsizetype m_mainIndex = 0;
};

} // namespace quillora
