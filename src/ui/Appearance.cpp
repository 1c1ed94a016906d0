#include "ui/Appearance.h"

#include <QApplication>
#include <QMetaMethod>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleHints>

#include <memory>

namespace quillora {

namespace {

// Qt 6.5 added the colour scheme to the style hints; it is looked up by name so that the same
// build runs on Qt 6.4, where the platform's palette is all there is to go by.
constexpr int kUnknownScheme = 0;
constexpr int kDarkScheme = 2;

int reportedScheme()
{
    const QVariant scheme = QGuiApplication::styleHints()->property("colorScheme");
    return scheme.isValid() ? scheme.toInt() : kUnknownScheme;
}

} // namespace

bool Appearance::prefersDark()
{
    const int scheme = reportedScheme();
    if (scheme != kUnknownScheme) {
        return scheme == kDarkScheme;
    }
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

QPalette Appearance::palette(bool dark)
{
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = fusion->standardPalette();
    if (!dark) {
        return palette;
    }
    const QColor window(40, 42, 48);
    const QColor base(32, 33, 38);
    const QColor text(232, 233, 237);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(52, 54, 61));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(140, 142, 150));
    palette.setColor(QPalette::Highlight, QColor(77, 148, 255));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(70, 72, 80));
    palette.setColor(QPalette::Midlight, QColor(60, 62, 70));
    palette.setColor(QPalette::Mid, QColor(45, 47, 53));
    palette.setColor(QPalette::Dark, QColor(25, 26, 30));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(120, 122, 130));
    }
    return palette;
}

void Appearance::apply(bool dark)
{
    QApplication::setPalette(palette(dark));
}

void Appearance::follow(QApplication& app)
{
    // With a reported scheme our own palettes are used, so that the windows match it even when the
    // platform's palette does not; without one the platform's palette is already the scheme.
    if (reportedScheme() == kUnknownScheme) {
        return;
    }
    QApplication::setStyle(QStringLiteral("Fusion"));
    apply(prefersDark());
    auto* watcher = new AppearanceWatcher(&app);
    const QMetaObject* hints = QGuiApplication::styleHints()->metaObject();
    const int signal = hints->indexOfSignal("colorSchemeChanged(Qt::ColorScheme)");
    if (signal >= 0) {
        QObject::connect(QGuiApplication::styleHints(), hints->method(signal), watcher,
                         watcher->metaObject()->method(watcher->metaObject()->indexOfSlot("refresh()")));
    }
}

void AppearanceWatcher::refresh()
{
    Appearance::apply(Appearance::prefersDark());
}

} // namespace quillora
