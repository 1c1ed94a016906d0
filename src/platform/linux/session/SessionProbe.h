#pragma once

#include "platform/linux/session/SessionInfo.h"

#include <QString>
#include <QStringList>

namespace quillora {

/** The environment variables that tell which session this process runs in. */
struct SessionEnvironment
{
    QString waylandDisplay;
    /** XDG_SESSION_TYPE: "wayland", "x11", "tty" or empty. */
    QString sessionType;
    QString display;
    /** XDG_CURRENT_DESKTOP: desktop names separated by colons, for example "ubuntu:GNOME". */
    QString currentDesktop;
    QString swaySocket;

    /** The variables of this process. */
    [[nodiscard]] static SessionEnvironment current();
};

/**
 * Finds out which session this process runs in and what it offers: X11 or Wayland, and on Wayland
 * the compositor, its globals (one registry round trip), KWin's scripting on the session bus,
 * sway's IPC socket and Xwayland. Every look is bounded by `timeoutMs`, so a probe takes at most
 * a few of them when something stalls and a few milliseconds otherwise. Main thread.
 */
class SessionProbe final
{
public:
    /** The longest wait for any one answer, in milliseconds. */
    static constexpr int timeoutMs = 300;

    /**
     * Probes the session of this process. Never fails: what cannot be reached counts as absent.
     * `accessibilityBus` is left false for the caller to fill.
     */
    [[nodiscard]] static SessionInfo probe();

    /** The same for the session that `environment` describes. */
    [[nodiscard]] static SessionInfo probe(const SessionEnvironment& environment);

    /**
     * The kind of session: Wayland when a Wayland display is named (WAYLAND_DISPLAY, or
     * XDG_SESSION_TYPE "wayland") and answers; else X11 when DISPLAY is set; else Wayland when one
     * is named though it does not answer; else none.
     */
    [[nodiscard]] static SessionKind sessionKind(const SessionEnvironment& environment, bool waylandAnswers);

    /**
     * The compositor: a global only KWin or Mutter offers decides first (sway offers some KDE
     * globals too, so those do not count), then $SWAYSOCK or "sway" in XDG_CURRENT_DESKTOP, then
     * "KDE" or "GNOME" there; anything else is `Other`.
     */
    [[nodiscard]] static CompositorKind compositorKind(const SessionEnvironment& environment,
                                                       const QStringList& globals);
};

} // namespace quillora
