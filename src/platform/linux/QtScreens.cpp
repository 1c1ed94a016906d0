#include "platform/linux/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace quillora {

namespace {

Screen convert(const QScreen* screen, const ScreenCoordinates& coordinates)
{
    return Screen{coordinates.fromQt(QRectF(screen->geometry())),
                  coordinates.fromQt(QRectF(screen->availableGeometry()))};
}

QScreen* primary()
{
    // QGuiApplication's screen functions need a GUI application; a command-line tool has none.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

} // namespace

QList<Screen> QtScreens::screens() const
{
    QList<Screen> result;
    if (!primary()) {
        return result;
    }
    const ScreenCoordinates coords = coordinates();
    for (const QScreen* screen : QGuiApplication::screens()) {
        result.append(convert(screen, coords));
    }
    return result;
}

std::optional<Screen> QtScreens::mainScreen() const
{
    const QScreen* screen = primary();
    if (!screen) {
        return std::nullopt;
    }
    return convert(screen, coordinates());
}

ScreenCoordinates QtScreens::coordinates() const
{
    const QScreen* screen = primary();
    return screen ? ScreenCoordinates(QRectF(screen->geometry())) : ScreenCoordinates();
}

} // namespace quillora
