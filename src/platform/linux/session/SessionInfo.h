#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

namespace quillora {

/** The window system this process talks to. */
enum class SessionKind { None, X11, Wayland };

/** The Wayland compositor, as far as its globals and the environment tell. */
enum class CompositorKind { None, Sway, KWin, GnomeShell, Other };

/** Interface names of the Wayland globals the selection loop cares about. */
namespace WaylandGlobal {
inline constexpr char wlrDataControl[] = "zwlr_data_control_manager_v1";
inline constexpr char extDataControl[] = "ext_data_control_manager_v1";
inline constexpr char kdeFakeInput[] = "org_kde_kwin_fake_input";
inline constexpr char virtualKeyboard[] = "zwp_virtual_keyboard_manager_v1";
inline constexpr char layerShell[] = "zwlr_layer_shell_v1";
} // namespace WaylandGlobal

/** What the session offers, as `SessionProbe` found it. */
struct SessionInfo
{
    SessionKind kind = SessionKind::None;
    /** The compositor on Wayland; `None` elsewhere. */
    CompositorKind compositor = CompositorKind::None;
    /** XDG_CURRENT_DESKTOP as set, for naming a compositor the probe does not know. */
    QString desktopName;
    /** Whether the Wayland display answered the registry round trip. */
    bool waylandAnswers = false;
    /** Interface names of the Wayland globals offered to this process. */
    QStringList waylandGlobals;
    /** Whether KWin's scripting interface (org.kde.KWin /Scripting) is on the session bus. */
    bool kwinScripting = false;
    /** Whether sway's IPC socket ($SWAYSOCK) accepts a connection. */
    bool swayIpc = false;
    /** Whether $DISPLAY names an X server that accepts a connection (Xwayland on Wayland). */
    bool xwayland = false;
    /** Whether the accessibility bus is reachable. The probe does not look: the caller fills it. */
    bool accessibilityBus = false;
    /** Whether Quillora's GNOME Shell extension answers. The probe does not look: the caller fills it. */
    bool shellCompanion = false;

    /** True when the compositor offers the global named `interfaceName` to this process. */
    [[nodiscard]] bool offers(const char* interfaceName) const
    {
        return waylandGlobals.contains(QLatin1String(interfaceName));
    }

    bool operator==(const SessionInfo&) const = default;
};

} // namespace quillora
