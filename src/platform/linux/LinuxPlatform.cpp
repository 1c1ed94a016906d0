#include "platform/linux/LinuxPlatform.h"

#include "core/EventLoopClock.h"
#include "platform/Compositor.h"
#include "platform/linux/JournalSystemLog.h"
#include "platform/linux/LinuxAppDataFolder.h"
#include "platform/linux/LinuxPasteboard.h"
#include "platform/linux/LinuxScriptRunner.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/QtScreens.h"
#include "platform/linux/atspi/AtspiBus.h"
#include "platform/linux/atspi/AtspiSelectionMonitor.h"
#include "platform/linux/atspi/LinuxAccessibility.h"
#include "platform/linux/gnome/ShellCompanion.h"
#include "platform/linux/gnome/ShellCompanionCompositor.h"
#include "platform/linux/gnome/ShellCompanionKeySink.h"
#include "platform/linux/gnome/ShellCompanionPrimarySelection.h"
#include "platform/linux/gnome/ShellCompanionShortcut.h"
#include "platform/linux/portal/PortalGlobalShortcut.h"
#include "platform/linux/session/CapabilityReport.h"
#include "platform/linux/session/SessionProbe.h"
#include "platform/linux/wayland/KWinCompositor.h"
#include "platform/linux/wayland/KWinFakeInputKeySink.h"
#include "platform/linux/wayland/NoKeyEventSink.h"
#include "platform/linux/wayland/SwayCompositor.h"
#include "platform/linux/wayland/WaylandWorkspace.h"
#include "platform/linux/wayland/WlrPrimarySelection.h"
#include "platform/linux/x11/QtAppWindows.h"
#include "platform/linux/x11/X11GlobalShortcut.h"
#include "platform/linux/x11/X11KeyEventSink.h"
#include "platform/linux/x11/X11MouseMonitor.h"
#include "platform/linux/x11/X11PanelKeys.h"
#include "platform/linux/x11/X11PrimarySelection.h"
#include "platform/linux/x11/X11WindowDirectory.h"
#include "platform/linux/x11/X11Workspace.h"

#include <QDBusConnection>

namespace quillora {

namespace {

// What an X11 session lacks for watching the mouse and posting keys; none when nothing is missing.
std::optional<QString> missingX11Input()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return QStringLiteral(
            "This is a Wayland session without X access. The main window, the history, the presets and the settings "
            "work; reading selections in other applications, the floating icon and pasting back do not, because "
            "they need X11. Log in to an X11 session, or run Quillora with XWayland, to use them.");
    }
    if (!X11WindowDirectory::hasInputExtensions()) {
        return QStringLiteral("The X server offers no XTest or XInput 2 extension, which watching the mouse and "
                              "pasting need. Use an X server that has both (Xorg and Xvfb do).");
    }
    return std::nullopt;
}

} // namespace

LinuxPlatform::LinuxPlatform()
    : m_clock(std::make_unique<EventLoopClock>())
    , m_appDataFolder(std::make_unique<LinuxAppDataFolder>())
    , m_systemLog(std::make_unique<JournalSystemLog>())
{
}

bool LinuxPlatform::isWayland() const
{
    return session().kind == SessionKind::Wayland;
}

ShellCompanion* LinuxPlatform::shellCompanion() const
{
    const SessionInfo& info = session();
    return info.shellCompanion ? m_shellCompanion.get() : nullptr;
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
        // Through Xwayland, XTest reaches X11 clients only: on Wayland keys go through what the
        // compositor offers, or nowhere.
        if (isWayland() && session().compositor == CompositorKind::KWin &&
            session().offers(WaylandGlobal::kdeFakeInput)) {
            m_keyEventSink = std::make_unique<KWinFakeInputKeySink>();
        } else if (ShellCompanion* companion = shellCompanion()) {
            // GNOME's native terminals go by their application identifiers there.
            QStringList terminals = X11KeyEventSink::defaultTerminalClasses();
            terminals << QStringLiteral("org.gnome.Terminal") << QStringLiteral("org.gnome.Console");
            m_keyEventSink = std::make_unique<ShellCompanionKeySink>(*companion, terminals);
        } else if (isWayland()) {
            m_keyEventSink = std::make_unique<NoKeyEventSink>();
        } else {
            m_keyEventSink = std::make_unique<X11KeyEventSink>(userDefaults(), windowDirectory());
        }
    }
    return *m_keyEventSink;
}

Workspace& LinuxPlatform::workspace()
{
    if (!m_workspace) {
        m_workspace = std::make_unique<X11Workspace>(windowDirectory());
        if (isWayland()) {
            m_baseWorkspace = std::move(m_workspace);
            m_workspace = std::make_unique<WaylandWorkspace>(*m_baseWorkspace);
        }
    }
    return *m_workspace;
}

std::shared_ptr<X11WindowDirectory> LinuxPlatform::windowDirectory()
{
    if (!m_windowDirectory) {
        m_windowDirectory = std::make_shared<X11WindowDirectory>();
    }
    return m_windowDirectory;
}

Accessibility& LinuxPlatform::accessibility()
{
    if (!m_accessibility) {
        LinuxAccessibility::InputCheck check = &missingX11Input;
        if (isWayland()) {
            // Selections come from accessibility events there: the bus is all the loop needs.
            check = [] { return std::optional<QString>(); };
        }
        m_accessibility = std::make_unique<LinuxAccessibility>(workspace(), screens(), std::move(check));
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
        m_appWindows =
            std::make_unique<QtAppWindows>(screens(), isWayland() ? QtAppWindows::FloatingWindows::bypassWindowManager
                                                                  : QtAppWindows::FloatingWindows::managed);
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
    if (m_primarySelectionMade) {
        return m_primarySelection.get();
    }
    m_primarySelectionMade = true;
    if (!isWayland()) {
        m_primarySelection = std::make_unique<X11PrimarySelection>();
    } else if (ShellCompanion* companion = shellCompanion()) {
        m_primarySelection = std::make_unique<ShellCompanionPrimarySelection>(*companion);
    } else if (session().offers(WaylandGlobal::wlrDataControl) && session().compositor != CompositorKind::KWin) {
        // Xwayland's PRIMARY follows Wayland clients only while an X11 client has focus; data
        // control lets a background client see it (KWin offers the protocol without PRIMARY).
        auto primary = std::make_unique<WlrPrimarySelection>();
        if (primary->isAvailable()) {
            m_primarySelection = std::move(primary);
        }
    }
    return m_primarySelection.get();
}

SelectionChangeMonitor* LinuxPlatform::selectionChangeMonitor()
{
    if (!isWayland()) {
        return nullptr;
    }
    if (!m_selectionChanges) {
        static_cast<void>(accessibility());
        m_selectionChanges = std::make_unique<AtspiSelectionMonitor>(*m_accessibility);
        // Applications without accessible text (terminals) show their selections only as a new
        // primary selection.
        const auto report = [changes = m_selectionChanges.get()] { changes->reportChange(); };
        if (auto* primary = dynamic_cast<WlrPrimarySelection*>(primarySelection())) {
            primary->setOfferHandler(report);
        } else if (auto* shellPrimary = dynamic_cast<ShellCompanionPrimarySelection*>(primarySelection())) {
            shellPrimary->setOfferHandler(report);
        }
    }
    return m_selectionChanges.get();
}

Compositor* LinuxPlatform::compositor()
{
    if (!isWayland() || m_compositorMade) {
        return m_compositor.get();
    }
    m_compositorMade = true;
    const SessionInfo& info = session();
    if (info.compositor == CompositorKind::Sway && info.swayIpc) {
        m_compositor = std::make_unique<SwayCompositor>(clock(), qEnvironmentVariable("SWAYSOCK"));
    } else if (info.compositor == CompositorKind::KWin && info.kwinScripting) {
        m_compositor = std::make_unique<KWinCompositor>(clock(), QDBusConnection::sessionBus());
    } else if (ShellCompanion* companion = shellCompanion()) {
        m_compositor = std::make_unique<ShellCompanionCompositor>(*companion);
    }
    return m_compositor.get();
}

GlobalShortcut* LinuxPlatform::globalShortcut()
{
    if (m_globalShortcutMade) {
        return m_globalShortcut.get();
    }
    m_globalShortcutMade = true;
    if (session().kind == SessionKind::X11) {
        m_globalShortcut = std::make_unique<X11GlobalShortcut>();
    } else if (ShellCompanion* companion = shellCompanion()) {
        m_globalShortcut = std::make_unique<ShellCompanionShortcut>(*companion);
    } else if (isWayland() && PortalGlobalShortcut::isOffered(QDBusConnection::sessionBus())) {
        m_globalShortcut = std::make_unique<PortalGlobalShortcut>(QDBusConnection::sessionBus());
    }
    return m_globalShortcut.get();
}

PanelKeys* LinuxPlatform::panelKeys()
{
    // Through Xwayland a grab sees only the keys typed into X11 clients.
    if (!m_panelKeys && session().kind == SessionKind::X11) {
        m_panelKeys = std::make_unique<X11PanelKeys>();
    }
    return m_panelKeys.get();
}

const SessionInfo& LinuxPlatform::session() const
{
    if (!m_session) {
        m_session = SessionProbe::probe();
        m_session->accessibilityBus = AtspiBus::address(SessionProbe::timeoutMs).has_value();
        if (m_session->kind == SessionKind::Wayland && m_session->compositor == CompositorKind::GnomeShell) {
            m_shellCompanion = std::make_unique<ShellCompanion>(QDBusConnection::sessionBus());
            m_session->shellCompanion = m_shellCompanion->isAvailable();
        }
    }
    return *m_session;
}

DesktopCapabilities LinuxPlatform::desktopCapabilities() const
{
    return describeCapabilities(session());
}

} // namespace quillora
