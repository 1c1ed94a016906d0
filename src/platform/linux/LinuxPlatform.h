#pragma once

#include "platform/Platform.h"

#include <memory>

namespace quillora {

class JournalSystemLog;
class LinuxAppDataFolder;
class LinuxClock;
class LinuxUserDefaults;

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

private:
    std::unique_ptr<LinuxClock> m_clock;
    std::unique_ptr<LinuxUserDefaults> m_userDefaults;
    std::unique_ptr<LinuxAppDataFolder> m_appDataFolder;
    std::unique_ptr<JournalSystemLog> m_systemLog;
    std::unique_ptr<KeyEventSink> m_keyEventSink;
    std::unique_ptr<Workspace> m_workspace;
};

} // namespace quillora
