#pragma once

#include "core/SimClock.h"
#include "platform/Platform.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimApp.h"
#include "platform/sim/SimAppDataFolder.h"
#include "platform/sim/SimAppWindows.h"
#include "platform/sim/SimGlobalShortcut.h"
#include "platform/sim/SimKeyEventSink.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPanelKeys.h"
#include "platform/sim/SimPasteboard.h"
#include "platform/sim/SimPrimarySelection.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimScriptRunner.h"
#include "platform/sim/SimSystemLog.h"
#include "platform/sim/SimUserDefaults.h"
#include "platform/sim/SimWaylandSession.h"
#include "platform/sim/SimWorkspace.h"

#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace quillora {

/**
 * The simulated desktop: a complete, deterministic platform backend with a control surface for
 * tests and demos. Its clock is virtual; its app-data folder is a fresh temporary folder.
 */
class SimDesktop final : public Platform
{
public:
    SimDesktop();
    ~SimDesktop() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("sim"); }
    SimClock& clock() override { return m_clock; }
    SimUserDefaults& userDefaults() override { return m_userDefaults; }
    SimAppDataFolder& appDataFolder() override { return m_appDataFolder; }
    SimSystemLog& systemLog() override { return m_systemLog; }
    SimKeyEventSink& keyEventSink() override { return m_keyEventSink; }
    SimWorkspace& workspace() override { return m_workspace; }
    SimAccessibility& accessibility() override { return m_accessibility; }
    SimScreens& screens() override { return m_screens; }
    SimMouse& mouseMonitor() override { return m_mouse; }
    SimAppWindows& appWindows() override { return m_appWindows; }
    SimPasteboard& pasteboard() override { return m_pasteboard; }
    SimScriptRunner& scriptRunner() override { return m_scriptRunner; }
    SimPrimarySelection* primarySelection() override { return &m_primarySelection; }
    SelectionChangeMonitor* selectionChangeMonitor() override { return m_wayland ? &m_waylandSession : nullptr; }
    Compositor* compositor() override { return m_wayland ? &m_waylandSession : nullptr; }
    SimGlobalShortcut* globalShortcut() override { return &m_globalShortcut; }
    SimPanelKeys* panelKeys() override { return &m_panelKeys; }

    /**
     * Makes the desktop behave as a Wayland session: selection changes stand in for presses
     * (`waylandSession()` reports them) and the compositor answers as set there.
     */
    void setWaylandSession(bool wayland) { m_wayland = wayland; }
    [[nodiscard]] SimWaylandSession& waylandSession() { return m_waylandSession; }

    /**
     * Starts a simulated text editor (frontmost unless `spec.frontmost` is false) and returns it; it
     * lives as long as the desktop. Key events posted to the whole desktop go to the frontmost app,
     * targeted ones to the app of that process.
     */
    SimApp& addApp(const SimAppSetup& spec);

    /** The apps started so far, in order. */
    [[nodiscard]] QList<SimApp*> apps() const;

private:
    QTemporaryDir m_dataDir;
    SimClock m_clock;
    SimUserDefaults m_userDefaults;
    SimAppDataFolder m_appDataFolder;
    SimSystemLog m_systemLog;
    SimKeyEventSink m_keyEventSink;
    SimWorkspace m_workspace;
    SimAccessibility m_accessibility;
    SimScreens m_screens;
    SimMouse m_mouse;
    SimAppWindows m_appWindows;
    SimPasteboard m_pasteboard;
    SimScriptRunner m_scriptRunner;
    SimPrimarySelection m_primarySelection;
    SimWaylandSession m_waylandSession;
    SimGlobalShortcut m_globalShortcut;
    SimPanelKeys m_panelKeys;
    bool m_wayland = false;
    std::vector<std::unique_ptr<SimApp>> m_apps;
};

} // namespace quillora
