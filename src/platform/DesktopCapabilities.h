#pragma once

#include <QList>
#include <QString>

namespace quillora {

/** One thing the selection loop needs from the desktop, and whether this session offers it. */
struct DesktopCapability
{
    /** What is needed, for example "Automatic icon". */
    QString name;
    bool available = false;
    /**
     * When available, how it is done ("AT-SPI selection events"); otherwise why not and what would
     * enable it.
     */
    QString detail;

    bool operator==(const DesktopCapability&) const = default;
};

/** What this session offers the selection loop, as shown under "On this desktop" in the settings. */
struct DesktopCapabilities
{
    /** The session in a few words, for example "Wayland (sway)" or "X11". */
    QString session;
    /** The automatic icon, where windows are placed, how "Use" pastes; in that order. */
    QList<DesktopCapability> items;

    bool operator==(const DesktopCapabilities&) const = default;
};

} // namespace quillora
