#include "platform/linux/QtAppWindows.h"

#include "platform/Screens.h"

#include <QGuiApplication>
#include <QWindow>

namespace quillora {

QtAppWindows::QtAppWindows(const Screens& screens)
    : m_screens(screens)
{
}

QList<AppWindowInfo> QtAppWindows::windows() const
{
    QList<AppWindowInfo> result;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return result;
    }
    const ScreenCoordinates coordinates = m_screens.coordinates();
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        AppWindowInfo info;
        info.isVisible = window->isVisible();
        info.isMiniaturized = window->windowStates().testFlag(Qt::WindowMinimized);
        info.isPanel = window->type() == Qt::Tool;
        info.frame = coordinates.fromQt(QRectF(window->frameGeometry()));
        info.contentRect = coordinates.fromQt(QRectF(window->geometry()));
        result.append(info);
    }
    return result;
}

} // namespace quillora
