#include "platform/linux/session/CapabilityReport.h"

#include "platform/linux/session/SessionInfo.h"

namespace quillora {

namespace {

const QString kIconRow = QStringLiteral("Automatic icon");
const QString kPlacementRow = QStringLiteral("Windows placed");
const QString kPasteRow = QStringLiteral("\"Use\" pastes");

DesktopCapability yes(const QString& row, const QString& how)
{
    return {row, true, how};
}

DesktopCapability no(const QString& row, const QString& why)
{
    return {row, false, why};
}

QString sessionName(const SessionInfo& info)
{
    switch (info.kind) {
    case SessionKind::None:
        return QStringLiteral("No graphical session");
    case SessionKind::X11:
        return QStringLiteral("X11");
    case SessionKind::Wayland:
        break;
    }
    switch (info.compositor) {
    case CompositorKind::Sway:
        return QStringLiteral("Wayland (sway)");
    case CompositorKind::KWin:
        return QStringLiteral("Wayland (KWin)");
    case CompositorKind::GnomeShell:
        return QStringLiteral("Wayland (GNOME Shell)");
    case CompositorKind::None:
    case CompositorKind::Other:
        break;
    }
    return info.desktopName.isEmpty() ? QStringLiteral("Wayland")
                                      : QStringLiteral("Wayland (%1)").arg(info.desktopName);
}

// Without Xwayland our floating windows would be native Wayland windows, which every compositor
// here makes top-levels that take the focus (and so the selection) away.
QString xwaylandMissing(const SessionInfo& info)
{
    return info.compositor == CompositorKind::Sway
               ? QStringLiteral("Xwayland is not running; start it (sway: `xwayland enable`)")
               : QStringLiteral("Xwayland is not running; start it");
}

// What enables the GNOME Shell companion; Wayland sessions load a newly enabled extension only at
// the next log-in.
const QString kEnableCompanion = QStringLiteral(
    "Quillora's GNOME Shell extension would add it: run `gnome-extensions enable quillora-companion@tessel.com`, "
    "then log out and in again");

const QString kNoAccessibilityBus = QStringLiteral("the accessibility bus is not running; start it (at-spi2-core)");

DesktopCapability iconRow(const SessionInfo& info)
{
    if (!info.accessibilityBus) {
        return no(kIconRow, kNoAccessibilityBus);
    }
    if (!info.xwayland) {
        return no(kIconRow, xwaylandMissing(info));
    }
    return yes(kIconRow, QStringLiteral("AT-SPI selection events"));
}

DesktopCapability placementRow(const SessionInfo& info)
{
    if (!info.xwayland) {
        return no(kPlacementRow, xwaylandMissing(info));
    }
    switch (info.compositor) {
    case CompositorKind::KWin:
        return info.kwinScripting ? yes(kPlacementRow, QStringLiteral("beside the pointer (KWin script)"))
                                  : no(kPlacementRow, QStringLiteral("KWin's scripting is not on the session bus"));
    case CompositorKind::Sway:
        if (!info.swayIpc) {
            return no(kPlacementRow, QStringLiteral("sway's IPC socket does not answer (check SWAYSOCK)"));
        }
        // The selection's end comes from accessibility, relative to its window.
        return yes(kPlacementRow, info.accessibilityBus
                                      ? QStringLiteral("beside the end of the selection (sway IPC)")
                                      : QStringLiteral("beside the focused window's top edge (sway IPC)"));
    case CompositorKind::GnomeShell:
        return info.shellCompanion
                   ? yes(kPlacementRow, QStringLiteral("beside the pointer (Quillora's GNOME Shell extension)"))
                   : no(kPlacementRow, QStringLiteral("GNOME tells a background program no window positions, so the "
                                                      "icon goes to the top of the screen. ") +
                                           kEnableCompanion);
    case CompositorKind::None:
    case CompositorKind::Other:
        break;
    }
    return no(kPlacementRow,
              QStringLiteral("the compositor tells no window positions: the icon goes to the top of the screen"));
}

DesktopCapability pasteRow(const SessionInfo& info)
{
    const bool kwin = info.compositor == CompositorKind::KWin;
    const bool fakeInput = kwin && info.offers(WaylandGlobal::kdeFakeInput);
    if (!info.accessibilityBus) {
        return fakeInput ? yes(kPasteRow, QStringLiteral("Ctrl+V through KWin's fake input"))
                         : no(kPasteRow, kNoAccessibilityBus + QStringLiteral("; the text is copied for you to paste"));
    }
    const QString byAccessibility = QStringLiteral("by accessibility (EditableText), else ");
    if (fakeInput) {
        return yes(kPasteRow, byAccessibility + QStringLiteral("Ctrl+V through KWin's fake input"));
    }
    if (info.compositor == CompositorKind::GnomeShell) {
        return yes(kPasteRow, byAccessibility + (info.shellCompanion
                                                     ? QStringLiteral("Ctrl+V through Quillora's GNOME Shell extension")
                                                     : QStringLiteral("copied for you to paste. ") + kEnableCompanion));
    }
    if (kwin) {
        // KWin offers fake input only to a program an installed .desktop file names.
        return yes(kPasteRow, byAccessibility + QStringLiteral("copied for you to paste (KWin lets only a program "
                                                               "installed from its package post Ctrl+V)"));
    }
    return yes(kPasteRow, byAccessibility + QStringLiteral("copied for you to paste"));
}

} // namespace

DesktopCapabilities describeCapabilities(const SessionInfo& info)
{
    DesktopCapabilities capabilities;
    capabilities.session = sessionName(info);
    if (info.kind == SessionKind::X11) {
        capabilities.items = {yes(kIconRow, QStringLiteral("the mouse is watched (XInput 2)")),
                              yes(kPlacementRow, QStringLiteral("beside the pointer")),
                              yes(kPasteRow, QStringLiteral("Ctrl+V through XTest"))};
        return capabilities;
    }
    if (info.kind == SessionKind::None || !info.waylandAnswers) {
        const QString why = info.kind == SessionKind::None
                                ? QStringLiteral("neither WAYLAND_DISPLAY nor DISPLAY is set")
                                : QStringLiteral("the Wayland display does not answer");
        capabilities.items = {no(kIconRow, why), no(kPlacementRow, why), no(kPasteRow, why)};
        return capabilities;
    }
    capabilities.items = {iconRow(info), placementRow(info), pasteRow(info)};
    return capabilities;
}

} // namespace quillora
