#pragma once

#include "ui/MainWindow.h"
#include "ui/SettingsWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

namespace quillora {

class AXManager;
class AppleScriptManager;
class AutostartEntry;
class BackendClient;
class BackendSettings;
class HistoryManager;
class PasteService;
class PasteboardManager;
class Platform;
class PresetManager;
class PrivacyGuard;
class ResultActions;
class SelectedTextManager;
class SelectionTracker;
class ShortcutManager;
class TrayEntry;
class UpdateManager;
class WidgetPanelFactory;
struct ShellServices;

/**
 * The desktop program's object graph, built once from the platform: the toolkit, the stores, the
 * backend client, the selection tracker (held for the life of the process), the floating panels,
 * the windows and the tray entry. Wipes the stored state first when launched with "--uitesting".
 */
class DesktopContext final : public QObject
{
    Q_OBJECT

public:
    /** Builds everything on `platform` (which must outlive the context) for a launch with `arguments`. */
    DesktopContext(Platform& platform, const QStringList& arguments);
    ~DesktopContext() override;

    /** Puts the tray entry up when there is a tray, and opens the main window. */
    void start();

    /** Brings the one main window to the front, making it when none is open. */
    void showHistory();

    /** Brings the settings window to the front, making it when none is open. */
    void showSettings();

    /** Polishes the current selection at once, as a click on the icon would (see the tracker). */
    void polishSelection();

    /** Ends the program. */
    void quit();

    /**
     * Ends the event loop so that `main` starts the program again in place (`restartRequested()`).
     * When the running binary cannot be found, logs "❌ Failed to relaunch app: " with the reason
     * and keeps running.
     */
    void restart();

    /** True once `restart()` ended the event loop. */
    [[nodiscard]] bool restartRequested() const { return m_restartRequested; }

    [[nodiscard]] MainWindow* mainWindow() const { return m_mainWindow; }
    [[nodiscard]] SettingsWindow* settingsWindow() const { return m_settingsWindow; }
    [[nodiscard]] TrayEntry* trayEntry() const { return m_tray.get(); }
    [[nodiscard]] SelectionTracker& tracker() const { return *m_tracker; }

private:
    [[nodiscard]] ShellServices services() const;

    Platform& m_platform;
    bool m_wiped;
    bool m_restartRequested = false;
    // Declared in dependency order, so that each is destroyed before what it uses.
    std::unique_ptr<AXManager> m_axManager;
    std::unique_ptr<PasteboardManager> m_pasteboardManager;
    std::unique_ptr<AppleScriptManager> m_appleScriptManager;
    std::unique_ptr<SelectedTextManager> m_textManager;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_backend;
    std::unique_ptr<BackendSettings> m_backendSettings;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    std::unique_ptr<PasteService> m_pasteService;
    std::unique_ptr<ResultActions> m_cardActions;
    std::unique_ptr<WidgetPanelFactory> m_panels;
    std::unique_ptr<PrivacyGuard> m_privacy;
    std::unique_ptr<SelectionTracker> m_tracker;
    std::unique_ptr<ShortcutManager> m_shortcuts;
    std::unique_ptr<AutostartEntry> m_autostart;
    std::unique_ptr<TrayEntry> m_tray;
    QPointer<MainWindow> m_mainWindow;
    QPointer<SettingsWindow> m_settingsWindow;
};

} // namespace quillora
