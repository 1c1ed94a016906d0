#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace quillora::test {

/**
 * The processes a desktop test session starts: all in one process group (the first one leads it,
 * and their own children join it), each one's standard error kept in a log beside the session,
 * and all of them ended together when this goes: asked first, then made to.
 */
class SessionProcesses final
{
public:
    /** Keeps the logs in `logFolder`. */
    explicit SessionProcesses(QString logFolder);
    ~SessionProcesses();
    SessionProcesses(const SessionProcesses&) = delete;
    SessionProcesses& operator=(const SessionProcesses&) = delete;

    /** Starts `program` with `environment`; owned here. Null when it could not start. */
    QProcess* launch(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment);

    /** Runs a short command to its end (at most `timeoutMs`); its standard output, empty on failure. */
    [[nodiscard]] static QByteArray run(const QString& program, const QStringList& arguments,
                                        const QProcessEnvironment& environment, int timeoutMs);

    /** The process group; 0 before the first process. */
    [[nodiscard]] qint64 group() const { return m_group; }

    /** Ends every process now, as the destructor does. */
    void stopAll();

private:
    QString m_logFolder;
    qint64 m_group = 0;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

} // namespace quillora::test
