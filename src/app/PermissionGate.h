#pragma once

#include "core/Clock.h"

#include <QObject>
#include <QString>

namespace quillora {

class Accessibility;
class SelectionTracker;

/**
 * The accessibility permission gate of the main window. It remembers whether this process was
 * trusted at the last check, notices when trust arrives while it lives, keeps what the desktop said
 * when access was asked for (which applications must be restarted), and starts selection tracking
 * once trusted unless the user paused it. Trust takes effect at once: Quillora itself needs no
 * restart for it. While its window is shown it checks once a second on the platform clock;
 * hidden, it runs no timer at all. Main thread.
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
        /** Not trusted: what is missing and the button that asks for it. */
        Warning,
        /** Trust arrived while this gate lived: tracking runs, other applications may need a restart. */
        Granted,
    };

    /** A gate that samples the trust at once, without prompting, and runs no timer yet. */
    PermissionGate(Accessibility& accessibility, Clock& clock, SelectionTracker& tracker, QObject* parent = nullptr);
    ~PermissionGate() override;

    [[nodiscard]] bool isTrusted() const { return m_isTrusted; }

    /** True once trust was granted while this gate lived; never reset. */
    [[nodiscard]] bool wasGranted() const { return m_wasGranted; }

    /** The warning while not trusted, else the granted notice once trust arrived, else nothing. */
    [[nodiscard]] Banner banner() const;

    /**
     * What the desktop said at the last `openSettings()`: why access could not be given, or which
     * running applications must be restarted to show their text. Empty before, or when it said nothing.
     */
    [[nodiscard]] const QString& settingsNotice() const { return m_settingsNotice; }

    /** True while the periodic check runs (the window is shown). */
    [[nodiscard]] bool isChecking() const { return m_tick.isValid(); }

    /**
     * Samples the trust without prompting; on a change records it (from untrusted to trusted, that
     * access was granted). When trusted, tracking enabled and not tracking, starts the tracker.
     * Never stops the tracker. Never fails.
     */
    void checkPermissions();

    /**
     * Called when the window appears (`true`: checks at once, then every second) and disappears
     * (`false`: stops the timer). Never fails.
     */
    void setShown(bool shown);

    /**
     * Asks the desktop to let this process use accessibility, keeps what it said as the
     * `settingsNotice()` and checks the trust at once, since the desktop may have granted it
     * already. Emits `changed`. Never fails.
     */
    void openSettings();

    /** Asks the program to start itself again in place (`restartRequested`). Never fails. */
    void restartApp();

Q_SIGNALS:
    /** `isTrusted`, `wasGranted` or `settingsNotice` changed. */
    void changed();
    /** "Restart" was chosen: the owner of the process restarts it. */
    void restartRequested();

private:
    void scheduleTick();

    Accessibility& m_accessibility;
    Clock& m_clock;
    SelectionTracker& m_tracker;
    bool m_isTrusted;
    bool m_wasGranted = false;
    QString m_settingsNotice;
    Timer m_tick;
};

} // namespace quillora
