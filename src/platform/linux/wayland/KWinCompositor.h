#pragma once

#include "platform/Compositor.h"
#include "platform/linux/wayland/KWinScript.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

class QDBusPendingCall;
class QTemporaryDir;

namespace quillora {

class Clock;
class KWinAnswerReceiver;

/**
 * KWin's answers, from a script: each question loads the script over D-Bus
 * (org.kde.kwin.Scripting.loadScript), runs it, takes its answer (see `KWinScript`) and unloads
 * it. Questions asked while one is in flight share its answer. The script file lives in a private
 * folder under $XDG_RUNTIME_DIR for as long as this object. Main thread.
 */
class KWinCompositor final : public Compositor
{
public:
    /** The longest wait for KWin's answer. */
    static constexpr double timeoutSeconds = 0.3;

    /**
     * Talks to KWin on `bus` (the session bus; this object's answer receiver is registered there
     * under the connection's unique name) and times out on `clock` (not owned).
     */
    KWinCompositor(Clock& clock, QDBusConnection bus);
    /** Ends a question in flight with none, unloading its script. */
    ~KWinCompositor() override;

    /**
     * The pointer (workspace.cursorPos). None when KWin's scripting is not on the bus, refuses the
     * script, or does not answer within `timeoutSeconds`.
     */
    [[nodiscard]] QCoro::Task<std::optional<QPointF>> pointerLocation() override;

    /**
     * The active window: its client surface, pid and resource class. None when no window is
     * active, and as for `pointerLocation`.
     */
    [[nodiscard]] QCoro::Task<std::optional<ForeignWindow>> focusedWindow() override;

private:
    struct Round;

    [[nodiscard]] QCoro::Task<std::optional<KWinAnswer>> ask();
    [[nodiscard]] bool prepare();
    void startRound();
    void run(int scriptId, bool numberedPath);
    void received(const QString& json);
    void finish(std::optional<KWinAnswer> answer);
    void whenReplied(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler);

    Clock& m_clock;
    QDBusConnection m_bus;
    std::unique_ptr<KWinAnswerReceiver> m_receiver;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_objectPath;
    QString m_scriptPath;
    QString m_pluginName;
    QString m_token;
    /** Whether this KWin names its script objects "/<id>" (KWin 5) rather than "/Scripting/Script<id>". */
    std::optional<bool> m_numberedPaths;
    std::shared_ptr<Round> m_round;
};

} // namespace quillora
