#pragma once

#include <QObject>
#include <QPalette>

class QApplication;

namespace quillora {

/**
 * Light and dark appearance after the desktop's colour scheme. Where Qt reports the scheme
 * (`QStyleHints::colorScheme`, Qt 6.5 and later) it decides; elsewhere the platform's palette does,
 * through the lightness of its window colour.
 */
class Appearance final
{
public:
    Appearance() = delete;

    /** True when the desktop asks for the dark scheme. */
    [[nodiscard]] static bool prefersDark();

    /** The application palette for the light or the dark scheme. */
    [[nodiscard]] static QPalette palette(bool dark);

    /** Applies the scheme now and again whenever the desktop changes it. Never fails. */
    static void follow(QApplication& app);

    /** Installs the palette of the light or dark scheme (also used to render both for screenshots). */
    static void apply(bool dark);
};

/** Re-applies the scheme when the desktop reports a change (connected by name: Qt 6.5 and later). */
class AppearanceWatcher final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void refresh();
};

} // namespace quillora
