#pragma once

#include "support/SessionProcesses.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace quillora::test {

class Compositor;

/**
 * A private Wayland desktop for end-to-end tests: a headless compositor with Xwayland, a session
 * D-Bus, the AT-SPI bus, a private runtime folder (0700) and fresh XDG folders. Starting it points
 * this process's environment at it (the bus, WAYLAND_DISPLAY, DISPLAY, the XDG folders), so it
 * comes before the QCoreApplication. Every process it starts, and every process those start, is in
 * one process group that the destructor ends.
 */
class WaylandSession final
{
public:
    /**
     * Starts the bus, the AT-SPI bus and `compositor`; null with the reason in `whyNot` when one of
     * them cannot be started.
     */
    [[nodiscard]] static std::unique_ptr<WaylandSession> start(std::unique_ptr<Compositor> compositor, QString* whyNot);

    ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    /** The environment of programs started in the session. */
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }
    /** Adds a variable that every program started from now on sees. */
    void setVariable(const QString& name, const QString& value);

    /** A folder that lives as long as the session. */
    [[nodiscard]] QString scratchPath() const { return m_root.path(); }
    /** The private XDG_RUNTIME_DIR, where Wayland sockets live. */
    [[nodiscard]] QString runtimePath() const { return m_root.filePath(QStringLiteral("runtime")); }

    [[nodiscard]] Compositor& compositor() const { return *m_compositor; }

    /**
     * Starts `program` in the session with extra `variables`; it ends with the session at the
     * latest. Its standard error goes to a log beside the session. Returns the process, owned by
     * the session, or null when it could not start.
     */
    QProcess* launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& variables = QProcessEnvironment());

    /** Runs a short command to its end (at most `timeoutMs`) and returns its standard output; empty on failure. */
    QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;

    /** The process group every started process belongs to. */
    [[nodiscard]] qint64 processGroup() const { return m_processes.group(); }

private:
    WaylandSession();
    QString prepareFolders();
    QString startBus();
    QString startAccessibilityBus();

    QTemporaryDir m_root;
    QProcessEnvironment m_environment;
    std::unique_ptr<Compositor> m_compositor;
    SessionProcesses m_processes;
};

} // namespace quillora::test
