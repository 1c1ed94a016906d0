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

/**
 * A private X11 desktop for tests: Xvfb on a free display, the openbox window manager, a session
 * D-Bus with accessibility switched on (the AT-SPI bus starts through "org.a11y.Bus"), and fresh
 * XDG folders. Starting it points this process's environment at it (DISPLAY, the bus, the XDG
 * folders, QT_QPA_PLATFORM=xcb), so it must come before the QApplication. Every process it starts,
 * and every process those start, is in one process group that the destructor ends.
 */
class DesktopSession final
{
public:
    /** Starts the desktop; null with the reason in `whyNot` when no X server can be started. */
    [[nodiscard]] static std::unique_ptr<DesktopSession> start(QString* whyNot);

    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    /** The environment of programs started in the session. */
    [[nodiscard]] QProcessEnvironment environment() const { return m_environment; }

    /** A folder that lives as long as the session. */
    [[nodiscard]] QString scratchPath() const { return m_root.path(); }

    /**
     * Starts `program` in the session with extra `variables`; it ends with the session at the
     * latest. Returns the process, owned by the session, or null when it could not start.
     */
    QProcess* launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& variables = QProcessEnvironment());

    /** Runs a short command to its end (at most `timeoutMs`) and returns its standard output; empty on failure. */
    QByteArray run(const QString& program, const QStringList& arguments, int timeoutMs = 5000) const;

    /** The process group every started process belongs to. */
    [[nodiscard]] qint64 processGroup() const { return m_processes.group(); }

private:
    DesktopSession()
        : m_processes(m_root.path())
    {
    }
    QString startServer();
    QString startBus();
    QString startWindowManager();

    QTemporaryDir m_root;
    QProcessEnvironment m_environment;
    SessionProcesses m_processes;
};

} // namespace quillora::test
