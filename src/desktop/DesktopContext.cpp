#include "desktop/DesktopContext.h"

#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/AppLogger.h"
#include "app/AutostartEntry.h"
#include "app/BackendClient.h"
#include "app/BackendSettings.h"
#include "app/HistoryManager.h"
#include "app/LaunchReset.h"
#include "app/PasteService.h"
#include "app/PermissionGate.h"
#include "app/PresetManager.h"
#include "app/PrivacyGuard.h"
#include "app/ResultActions.h"
#include "app/SelectionTracker.h"
#include "app/ShortcutManager.h"
#include "app/UpdateManager.h"
#include "capture/AXManager.h"
#include "capture/AppleScriptManager.h"
#include "capture/PasteboardManager.h"
#include "capture/SelectedTextManager.h"
#include "desktop/ProcessRestart.h"
#include "desktop/TrayEntry.h"
#include "platform/Platform.h"
#include "ui/MainWindow.h"
#include "ui/SettingsWindow.h"
#include "ui/ShellServices.h"
#include "ui/WidgetPanelFactory.h"

#include <QApplication>

namespace quillora {

namespace {

// Runs before any store is made, so that none of them reads what the wipe removes.
bool wipeWhenRequested(Platform& platform, const QStringList& arguments)
{
    if (!LaunchReset::isRequested(arguments)) {
        return false;
    }
    LaunchReset::wipeStoredState(platform.userDefaults(), platform.appDataFolder());
    return true;
}

} // namespace

DesktopContext::DesktopContext(Platform& platform, const QStringList& arguments)
    : m_platform(platform)
    , m_wiped(wipeWhenRequested(platform, arguments))
    , m_axManager(std::make_unique<AXManager>())
    , m_pasteboardManager(std::make_unique<PasteboardManager>())
    , m_appleScriptManager(std::make_unique<AppleScriptManager>())
    , m_textManager(std::make_unique<SelectedTextManager>(*m_axManager, *m_pasteboardManager, *m_appleScriptManager))
    , m_updates(std::make_unique<UpdateManager>(platform.userDefaults(), AppInfo::version()))
    , m_backend(std::make_unique<BackendClient>(BackendSettings::startupOrigin(platform.userDefaults()), *m_updates))
    , m_backendSettings(std::make_unique<BackendSettings>(platform.userDefaults(), *m_backend))
    , m_presets(std::make_unique<PresetManager>(*m_backend))
    , m_history(std::make_unique<HistoryManager>())
    , m_pasteService(std::make_unique<PasteService>(
          platform.pasteboard(), platform.clock(),
          platform.selectionChangeMonitor() != nullptr ? PasteRoute::accessibilityFirst : PasteRoute::pasteKey))
    , m_cardActions(std::make_unique<ResultActions>(*m_backend, platform.pasteboard()))
    , m_panels(std::make_unique<WidgetPanelFactory>(*m_cardActions))
    , m_privacy(std::make_unique<PrivacyGuard>(platform.userDefaults(), platform.workspace()))
    , m_tracker(std::make_unique<SelectionTracker>(
          SelectionTracker::Services{*m_panels, *m_textManager, *m_history, *m_pasteService,
                                     AIPolishingService(*m_backend, *m_presets), m_privacy.get()}))
    , m_shortcuts(std::make_unique<ShortcutManager>(platform.globalShortcut(), platform.userDefaults(), *m_tracker))
    , m_autostart(std::make_unique<AutostartEntry>(AutostartEntry::userFolder(), QApplication::applicationFilePath()))
{
}

DesktopContext::~DesktopContext()
{
    // The windows observe the services below; they go first.
    delete m_settingsWindow.data();
    delete m_mainWindow.data();
}

ShellServices DesktopContext::services() const
{
    return ShellServices{*m_tracker,
                         *m_history,
                         *m_presets,
                         *m_updates,
                         *m_backendSettings,
                         *m_pasteService,
                         m_platform.accessibility(),
                         m_platform.workspace(),
                         m_platform.pasteboard(),
                         m_platform.clock(),
                         *m_autostart,
                         *m_shortcuts,
                         *m_privacy};
}

void DesktopContext::start()
{
    if (TrayEntry::isAvailable()) {
        m_tray = std::make_unique<TrayEntry>();
        connect(m_tray.get(), &TrayEntry::showHistoryRequested, this, &DesktopContext::showHistory);
        connect(m_tray.get(), &TrayEntry::settingsRequested, this, &DesktopContext::showSettings);
        connect(m_tray.get(), &TrayEntry::quitRequested, this, &DesktopContext::quit);
        m_tray->show();
    }
    // With a tray entry the program lives on when its windows are closed; without one, closing
    // the main window is the way out.
    QApplication::setQuitOnLastWindowClosed(!m_tray);
    showHistory();
}

void DesktopContext::showHistory()
{
    if (!m_mainWindow) {
        m_mainWindow = new MainWindow(services());
        m_mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_mainWindow, &MainWindow::settingsRequested, this, &DesktopContext::showSettings);
        connect(m_mainWindow, &MainWindow::quitRequested, this, &DesktopContext::quit);
        connect(&m_mainWindow->gate(), &PermissionGate::restartRequested, this, &DesktopContext::restart,
                Qt::QueuedConnection);
    }
    m_mainWindow->show();
    m_mainWindow->setWindowState((m_mainWindow->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void DesktopContext::showSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = new SettingsWindow(services());
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_settingsWindow->bringToFront();
}

void DesktopContext::polishSelection()
{
    m_tracker->polishCurrentSelection();
}

void DesktopContext::quit()
{
    QCoreApplication::quit();
}

void DesktopContext::restart()
{
    // Checked while the program still runs, so that a restart that cannot happen leaves it running.
    if (ProcessRestart::program().isEmpty()) {
        AppLogger::log(QStringLiteral("❌ Failed to relaunch app: the running program cannot be found in /proc"),
                       QStringLiteral("quillora/DesktopContext"));
        return;
    }
    m_restartRequested = true;
    quit();
}

} // namespace quillora
