#include "platform/linux/LinuxPlatform.h"

#include "core/EventLoopClock.h"
#include "platform/linux/JournalSystemLog.h"
#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/LinuxAppDataFolder.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxScriptRunner.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/QtAppWindows.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/X11KeyEventSink.h"
#include "platform/linux/X11MouseMonitor.h"
#include "platform/linux/X11PrimarySelection.h"

namespace quillora {

LinuxPlatform::LinuxPlatform()
    : m_clock(std::make_unique<EventLoopClock>())
    , m_appDataFolder(std::make_unique<LinuxAppDataFolder>())
    , m_systemLog(std::make_unique<JournalSystemLog>())
{
}

LinuxPlatform::~LinuxPlatform()
{
    if (Platform::hasCurrent() && &Platform::current() == this) {
        Platform::setCurrent(nullptr);
    }
}

Clock& LinuxPlatform::clock()
{
    return *m_clock;
}

// The stores and the X11 connections are made on first use, so that a command-line tool that
// never posts a key needs no display.
UserDefaults& LinuxPlatform::userDefaults()
{
    if (!m_userDefaults) {
        m_userDefaults = std::make_unique<LinuxUserDefaults>();
    }
    return *m_userDefaults;
}

AppDataFolder& LinuxPlatform::appDataFolder()
{
    return *m_appDataFolder;
}

SystemLog& LinuxPlatform::systemLog()
{
    return *m_systemLog;
}

KeyEventSink& LinuxPlatform::keyEventSink()
{
    if (!m_keyEventSink) {
        m_keyEventSink = std::make_unique<X11KeyEventSink>(userDefaults());
    }
    return *m_keyEventSink;
}

Workspace& LinuxPlatform::workspace()
{
    if (!m_workspace) {
        m_workspace = std::make_unique<LinuxWorkspace>();
    }
    return *m_workspace;
}

Accessibility& LinuxPlatform::accessibility()
{
    if (!m_accessibility) {
        m_accessibility = std::make_unique<LinuxAccessibility>(workspace(), screens());
    }
    return *m_accessibility;
}

Screens& LinuxPlatform::screens()
{
    if (!m_screens) {
        m_screens = std::make_unique<QtScreens>();
    }
    return *m_screens;
}

MouseMonitor& LinuxPlatform::mouseMonitor()
{
    if (!m_mouseMonitor) {
        m_mouseMonitor = std::make_unique<X11MouseMonitor>(screens(), appWindows());
    }
    return *m_mouseMonitor;
}

AppWindows& LinuxPlatform::appWindows()
{
    if (!m_appWindows) {
        m_appWindows = std::make_unique<QtAppWindows>(screens());
    }
    return *m_appWindows;
}

Pasteboard& LinuxPlatform::pasteboard()
{
    if (!m_pasteboard) {
        m_pasteboard = std::make_unique<LinuxPasteboard>();
    }
    return *m_pasteboard;
}

ScriptRunner& LinuxPlatform::scriptRunner()
{
    if (!m_scriptRunner) {
        m_scriptRunner = std::make_unique<LinuxScriptRunner>();
    }
    return *m_scriptRunner;
}

PrimarySelection* LinuxPlatform::primarySelection()
{
    if (!m_primarySelection) {
        m_primarySelection = std::make_unique<X11PrimarySelection>();
    }
    return m_primarySelection.get();
}

} // namespace quillora
