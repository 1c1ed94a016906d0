#include "app/PermissionGate.h"

#include "app/SelectionTracker.h"
#include "platform/Accessibility.h"

namespace quillora {

PermissionGate::PermissionGate(Accessibility& accessibility, Clock& clock, SelectionTracker& tracker, QObject* parent)
    : QObject(parent)
    , m_accessibility(accessibility)
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
    return m_wasGranted ? Banner::Granted : Banner::None;
}

void PermissionGate::checkPermissions()
{
    const bool trusted = m_accessibility.isProcessTrusted(TrustPrompt::Silent);
    if (trusted != m_isTrusted) {
        if (!m_isTrusted) {
            m_wasGranted = true;
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

void PermissionGate::openSettings()
{
    m_settingsNotice = m_accessibility.openAccessibilitySettings();
    // Where the desktop turns accessibility on by itself, the banner moves on without waiting for
    // the next tick; the notice is said in whichever banner shows then.
    checkPermissions();
    Q_EMIT changed();
}

void PermissionGate::restartApp()
{
    Q_EMIT restartRequested();
}

} // namespace quillora
