#pragma once

#include "core/Clock.h"

#include <QObject>
#include <QString>

namespace quillora {

class Accessibility;
class SelectionTracker;
class Workspace;

/**
 * The accessibility permission gate of the main window. It remembers whether this process was
 * trusted at the last check, notices when trust arrives while it lives (the restart prompt), and
 * starts selection tracking once trusted unless the user paused it. While its window is shown it
 * checks once a second on the platform clock; hidden, it runs no timer at all. Main thread.
 */
class PermissionGate final : public QObject
{
    Q_OBJECT

public:
    /** The seconds between two checks while the window is shown. */
    static constexpr double checkInterval = 1.0;

    /** Which banner the window shows above the history. */
    enum class Banner {
        None,
        Warning,
        RestartPrompt,
    };

    /** A gate that samples the trust at once, without prompting, and runs no timer yet. */
    PermissionGate(Accessibility& accessibility, Workspace& workspace, Clock& clock, SelectionTracker& tracker,
                   QObject* parent = nullptr);
    ~PermissionGate() override;

    [[nodiscard]] bool isTrusted() const { return m_isTrusted; }

    /** True once trust was granted while this gate lived; never reset. */
    [[nodiscard]] bool needsRestart() const { return m_needsRestart; }

    /** The warning while not trusted, else the restart prompt once trust arrived, else nothing. */
    [[nodiscard]] Banner banner() const;

    /** True while the periodic check runs (the window is shown). */
    [[nodiscard]] bool isChecking() const { return m_tick.isValid(); }

    /**
     * Samples the trust without prompting; on a change records it (and, from untrusted to trusted,
     * asks for a restart). When trusted, tracking enabled and not tracking, starts the tracker.
     * Never stops the tracker. Never fails.
     */
    void checkPermissions();

    /**
     * Called when the window appears (`true`: checks at once, then every second) and disappears
     * (`false`: stops the timer). Never fails.
     */
    void setShown(bool shown);

    /**
     * Asks the desktop to let this process use accessibility and returns what the user should be
     * told (possibly empty). Never fails.
     */
    QString openSettings();

    /**
     * Starts this program anew without arguments. Emits `aboutToRelaunch` first (so that the
     * single-instance claim can be given up), then `relaunched` when the new process started, upon
     * which the caller ends this one. When it cannot start, logs "❌ Failed to relaunch app: " with
     * the reason, emits `relaunchFailed` and keeps running.
     */
    void restartApp();

Q_SIGNALS:
    /** `isTrusted` or `needsRestart` changed. */
    void changed();
    void aboutToRelaunch();
    void relaunched();
    void relaunchFailed();

private:
    void scheduleTick();

    Accessibility& m_accessibility;
    Workspace& m_workspace;
    Clock& m_clock;
    SelectionTracker& m_tracker;
    bool m_isTrusted;
    bool m_needsRestart = false;
    Timer m_tick;
};

} // namespace quillora
