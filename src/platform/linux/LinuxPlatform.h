#pragma once

#include "platform/Platform.h"

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
class X11PrimarySelection;

/** The real Linux desktop: X11 for input, AT-SPI for accessibility, files under the XDG folders. */
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

private:
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
    std::unique_ptr<X11PrimarySelection> m_primarySelection;
};

} // namespace quillora
