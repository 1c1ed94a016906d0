#include "app/PermissionGate.h"

#include "app/AppLogger.h"
#include "app/SelectionTracker.h"
#include "core/ErrorRecord.h"
#include "platform/Accessibility.h"
#include "platform/Workspace.h"

namespace quillora {

PermissionGate::PermissionGate(Accessibility& accessibility, Workspace& workspace, Clock& clock,
                               SelectionTracker& tracker, QObject* parent)
    : QObject(parent)
    , m_accessibility(accessibility)
    , m_workspace(workspace)
    , m_clock(clock)
    , m_tracker(tracker)
    , m_isTrusted(accessibility.isProcessTrusted(TrustPrompt::Silent))
{
    m_tick.invalidate();
}

PermissionGate::~PermissionGate()
{
    m_tick.invalidate();
}

PermissionGate::Banner PermissionGate::banner() const
{
    if (!m_isTrusted) {
        return Banner::Warning;
    }
    return m_needsRestart ? Banner::RestartPrompt : Banner::None;
}

void PermissionGate::checkPermissions()
{
    const bool trusted = m_accessibility.isProcessTrusted(TrustPrompt::Silent);
    if (trusted != m_isTrusted) {
        if (!m_isTrusted) {
            m_needsRestart = true;
        }
        m_isTrusted = trusted;
        Q_EMIT changed();
    }
    if (m_isTrusted && m_tracker.isEnabled() && !m_tracker.isTracking()) {
        m_tracker.startTracking();
    }
}

void PermissionGate::setShown(bool shown)
{
    m_tick.invalidate();
    if (shown) {
        checkPermissions();
        scheduleTick();
    }
}

void PermissionGate::scheduleTick()
{
    // One timer at a time, re-armed after each check, so that a hidden window leaves none behind.
    m_tick = m_clock.singleShot(checkInterval, this, [this] {
        checkPermissions();
        scheduleTick();
    });
}

QString PermissionGate::openSettings()
{
    return m_accessibility.openAccessibilitySettings();
}

void PermissionGate::restartApp()
{
    Q_EMIT aboutToRelaunch();
    try {
        m_workspace.relaunch({});
    } catch (const ErrorRecord& error) {
        AppLogger::log(QStringLiteral("❌ Failed to relaunch app: ") + error.localizedDescription(),
                       QStringLiteral("quillora/ContentView"));
        Q_EMIT relaunchFailed();
        return;
    }
    Q_EMIT relaunched();
}

} // namespace quillora
