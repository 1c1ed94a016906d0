#include "ui/ShellStyle.h"

#include "ui/GlyphIcon.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace quillora {

namespace {

QString rgba(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

} // namespace

QLabel* ShellStyle::label(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    setTextColor(*label, color);
    return label;
}

void ShellStyle::setTextColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

QToolButton* ShellStyle::glyphButton(Glyph glyph, int side, const QColor& color, const QString& accessibleName,
                                     bool tile, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setIcon(glyphIcon(glyph, color, side));
    button->setIconSize(QSize(side, side));
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus);
    const QString background =
        tile ? rgba(Theme::withOpacity(Theme::secondaryText(), 0.1)) : QStringLiteral("transparent");
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; border-radius: 6px; padding: %1px; background: %2; }"
                       "QToolButton:hover { background: %3; }")
            .arg(tile ? 6 : 2)
            .arg(background, rgba(Theme::withOpacity(Theme::secondaryText(), 0.2))));
    return button;
}

QToolButton* ShellStyle::plainButton(const QString& text, const QFont& font, const QColor& color,
                                     std::optional<Glyph> glyph, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setFont(font);
    button->setCursor(Qt::PointingHandCursor);
    if (glyph) {
        const int side = QFontMetrics(font).height();
        button->setIcon(glyphIcon(*glyph, color, side));
        button->setIconSize(QSize(side, side));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setStyleSheet(
        QStringLiteral("QToolButton { border: none; background: transparent; color: %1; padding: 2px; }"
                       "QToolButton:hover { text-decoration: underline; }"
                       "QToolButton:disabled { color: %2; }")
            .arg(rgba(color), rgba(Theme::withOpacity(color, 0.4))));
    return button;
}

QToolButton* ShellStyle::prominentButton(const QString& text, const QColor& tint, const QColor& textColor,
                                         double radius, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAccessibleName(text);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; border-radius: %1px; background: %2; color: %3;"
                                         " padding: 4px 10px; font-weight: 600; }"
                                         "QToolButton:hover { background: %4; }")
                              .arg(radius)
                              .arg(rgba(tint), rgba(textColor), rgba(tint.darker(115))));
    return button;
}

void ShellStyle::paintCard(QPainter& painter, const QRectF& rect, double radius, const QColor& fill,
                           double shadowOpacity, double shadowRadius, double shadowOffset)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The shadow: rings that grow and fade, which approximates a blur at a fraction of its cost.
    const int steps = std::max(1, static_cast<int>(shadowRadius));
    for (int step = steps; step >= 1; --step) {
        const double spread = step * shadowRadius / steps;
        QColor shade(0, 0, 0);
        shade.setAlphaF(static_cast<float>(shadowOpacity * 2.0 / steps * (1.0 - double(step - 1) / steps)));
        painter.setBrush(shade);
        painter.drawRoundedRect(
            rect.translated(0, shadowOffset).adjusted(-spread / 2, -spread / 2, spread / 2, spread / 2),
            radius + spread / 2, radius + spread / 2);
    }
    painter.setBrush(fill);
    painter.drawRoundedRect(rect, radius, radius);
    painter.restore();
}

} // namespace quillora
