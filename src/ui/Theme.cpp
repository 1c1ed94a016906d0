#include "ui/Theme.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillora {

namespace {

QColor pick(QColor light, QColor dark)
{
    return Theme::isDark() ? dark : light;
}

} // namespace

QColor Theme::background()
{
    return pick(QColor(245, 246, 250), QColor(30, 31, 36));
}

QColor Theme::primaryButton()
{
    // The darker end of the icon's gradient in light mode, its lighter end in dark mode.
    return pick(QColor(26, 97, 240), QColor(77, 148, 255));
}

QColor Theme::cardBackground()
{
    return QGuiApplication::palette().color(QPalette::Base);
}

QColor Theme::tagBackground()
{
    return pick(QColor(227, 236, 254), QColor(35, 50, 79));
}

QColor Theme::tagText()
{
    return pick(QColor(26, 85, 200), QColor(156, 192, 255));
}

QColor Theme::primaryText()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}

QColor Theme::secondaryText()
{
    return withOpacity(primaryText(), 0.55);
}

bool Theme::isDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QColor Theme::withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    return color;
}

} // namespace quillora
