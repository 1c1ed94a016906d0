#include "platform/sim/SimScreens.h"

namespace quillora {

SimScreens::SimScreens()
    : m_screens{Screen{QRectF(0, 0, 1920, 1080), QRectF(0, 0, 1920, 1048)}}
{
}

std::optional<Screen> SimScreens::mainScreen() const
{
    if (m_mainIndex < 0 || m_mainIndex >= m_screens.size()) {
        return std::nullopt;
    }
    return m_screens.at(m_mainIndex);
}

ScreenCoordinates SimScreens::coordinates() const
{
    if (m_screens.isEmpty()) {
        return ScreenCoordinates();
    }
    return ScreenCoordinates(QRectF(QPointF(0, 0), m_screens.first().frame.size()));
}

void SimScreens::setScreens(QList<Screen> screens, qsizetype mainIndex)
{
    m_screens = std::move(screens);
    m_mainIndex = mainIndex;
}

} // namespace quillora
