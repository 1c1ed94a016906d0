#pragma once

#include "platform/Platform.h"
#include "platform/linux/session/SessionInfo.h"

#include <memory>

namespace quillora {

class JournalSystemLog;
class LinuxAccessibility;
class LinuxAppDataFolder;
class EventLoopClock;
class LinuxPasteboard;
class LinuxScriptRunner;
class LinuxUserDefaults;
class QtAppWindows;
class QtScreens;
class X11MouseMonitor;
class X11WindowDirectory;
class AtspiSelectionMonitor;
class ShellCompanion;

/**
 * The real Linux desktop: AT-SPI for accessibility, files under the XDG folders, and, by session,
 * X11 for input (the mouse watched, keys posted through XTest) or, on Wayland, accessibility
 * events for selections, the compositor for positions, and windows through Xwayland.
 */
class LinuxPlatform final : public Platform
{
public:
    LinuxPlatform();
    ~LinuxPlatform() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("linux"); }
    Clock& clock() override;
    UserDefaults& userDefaults() override;
    AppDataFolder& appDataFolder() override;
    SystemLog& systemLog() override;
    KeyEventSink& keyEventSink() override;
    Workspace& workspace() override;
    Accessibility& accessibility() override;
    Screens& screens() override;
    MouseMonitor& mouseMonitor() override;
    AppWindows& appWindows() override;
    Pasteboard& pasteboard() override;
    ScriptRunner& scriptRunner() override;
    PrimarySelection* primarySelection() override;
    SelectionChangeMonitor* selectionChangeMonitor() override;
    Compositor* compositor() override;
    GlobalShortcut* globalShortcut() override;
    PanelKeys* panelKeys() override;
    [[nodiscard]] DesktopCapabilities desktopCapabilities() const override;

    /** What the session offers, probed on first use and kept. */
    [[nodiscard]] const SessionInfo& session() const;

private:
    /** True on a Wayland session (where the program's own windows may still go through Xwayland). */
    [[nodiscard]] bool isWayland() const;
    /** The GNOME Shell companion on a GNOME Wayland session where it answers; null elsewhere. */
    [[nodiscard]] ShellCompanion* shellCompanion() const;
    /** The X connection for window queries, which the workspace and the key sink share. */
    [[nodiscard]] std::shared_ptr<X11WindowDirectory> windowDirectory();

    std::shared_ptr<X11WindowDirectory> m_windowDirectory;
    std::unique_ptr<EventLoopClock> m_clock;
    std::unique_ptr<LinuxUserDefaults> m_userDefaults;
    std::unique_ptr<LinuxAppDataFolder> m_appDataFolder;
    std::unique_ptr<JournalSystemLog> m_systemLog;
    std::unique_ptr<KeyEventSink> m_keyEventSink;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<LinuxAccessibility> m_accessibility;
    std::unique_ptr<QtScreens> m_screens;
    std::unique_ptr<QtAppWindows> m_appWindows;
    std::unique_ptr<X11MouseMonitor> m_mouseMonitor;
    std::unique_ptr<LinuxPasteboard> m_pasteboard;
    std::unique_ptr<LinuxScriptRunner> m_scriptRunner;
    std::unique_ptr<PrimarySelection> m_primarySelection;
    bool m_primarySelectionMade = false;
    std::unique_ptr<Workspace> m_baseWorkspace;
    std::unique_ptr<AtspiSelectionMonitor> m_selectionChanges;
    std::unique_ptr<Compositor> m_compositor;
    bool m_compositorMade = false;
    std::unique_ptr<GlobalShortcut> m_globalShortcut;
    bool m_globalShortcutMade = false;
    std::unique_ptr<PanelKeys> m_panelKeys;
    mutable std::unique_ptr<ShellCompanion> m_shellCompanion;
    mutable std::optional<SessionInfo> m_session;
};

} // namespace quillora
