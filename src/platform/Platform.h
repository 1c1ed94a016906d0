#pragma once

#include "platform/DesktopCapabilities.h"

#include <QString>

#include <memory>

namespace quillora {

class Accessibility;
class AppDataFolder;
class AppWindows;
class Clock;
class Compositor;
class GlobalShortcut;
class PanelKeys;
class KeyEventSink;
class MouseMonitor;
class Pasteboard;
class PrimarySelection;
class Screens;
class SelectionChangeMonitor;
class ScriptRunner;
class SystemLog;
class UserDefaults;
class Workspace;

/**
 * Every operating-system service the system uses, behind one object. Two backends exist: "sim",
 * the deterministic simulated desktop of tests and demos, and "linux", the real desktop. The
 * process installs one at start-up with `setCurrent`; the rest of the code reaches it through
 * `current()`.
 */
class Platform
{
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    /** The backend's name: "sim" or "linux". */
    [[nodiscard]] virtual QString name() const = 0;

    virtual Clock& clock() = 0;
    virtual UserDefaults& userDefaults() = 0;
    virtual AppDataFolder& appDataFolder() = 0;
    virtual SystemLog& systemLog() = 0;
    virtual KeyEventSink& keyEventSink() = 0;
    virtual Workspace& workspace() = 0;
    virtual Accessibility& accessibility() = 0;
    virtual Screens& screens() = 0;
    virtual MouseMonitor& mouseMonitor() = 0;
    virtual AppWindows& appWindows() = 0;
    virtual Pasteboard& pasteboard() = 0;
    virtual ScriptRunner& scriptRunner() = 0;

    /** The primary selection, where the desktop lets a background program read it; null elsewhere. */
    virtual PrimarySelection* primarySelection() { return nullptr; }

    /**
     * Where the desktop does not let a background program see the mouse in other applications
     * (Wayland), the selection changes that stand in for it; null where the mouse monitor sees
     * every press and release (X11, the simulated desktop).
     */
    virtual SelectionChangeMonitor* selectionChangeMonitor() { return nullptr; }

    /** The compositor's answers about the pointer and other windows, where it gives any; null elsewhere. */
    virtual Compositor* compositor() { return nullptr; }

    /**
     * The desktop-wide shortcut, where this desktop lets a program bind one (or says why not);
     * null where there is none to bind at all.
     */
    virtual GlobalShortcut* globalShortcut() { return nullptr; }

    /** The keys of the results panel, where the desktop lets them be taken; null elsewhere. */
    virtual PanelKeys* panelKeys() { return nullptr; }

    /** What this session offers the selection loop; everything, unless the backend says otherwise. */
    [[nodiscard]] virtual DesktopCapabilities desktopCapabilities() const;

    /** The installed platform. Calling it before one is installed is a programming error (aborts). */
    static Platform& current();

    /** True once a platform is installed. */
    static bool hasCurrent();

    /** Installs `platform` (not owned; may be null to uninstall). Main thread, at start-up or in tests. */
    static void setCurrent(Platform* platform);
};

} // namespace quillora
