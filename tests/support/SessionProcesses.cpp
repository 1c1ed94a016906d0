#include "support/SessionProcesses.h"

#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

namespace quillora::test {

SessionProcesses::SessionProcesses(QString logFolder)
    : m_logFolder(std::move(logFolder))
{
}

SessionProcesses::~SessionProcesses()
{
    stopAll();
}

QProcess* SessionProcesses::launch(const QString& program, const QStringList& arguments,
                                   const QProcessEnvironment& environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    // What the session's programs complain about is kept beside the session, for a failing test.
    process->setStandardErrorFile(QDir(m_logFolder).filePath(QFileInfo(program).fileName() + QStringLiteral(".log")),
                                  QIODevice::Append);
    // The first process leads a new group; the others join it, and so do their own children.
    const pid_t group = pid_t(m_group);
    process->setChildProcessModifier([group] {
        setpgid(0, group);
        // Should the test be killed outright, its direct children go with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process->start(program, arguments);
    if (!process->waitForStarted(5000)) {
        return nullptr;
    }
    if (m_group == 0) {
        m_group = process->processId();
    }
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

QByteArray SessionProcesses::run(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

void SessionProcesses::stopAll()
{
    // Everything in the group, the buses' activated services included, is asked to end, then made to.
    if (m_group > 0) {
        ::kill(-pid_t(m_group), SIGTERM);
    }
    for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
        if (!(*it)->waitForFinished(2000)) {
            (*it)->kill();
            (*it)->waitForFinished(1000);
        }
    }
    if (m_group > 0) {
        ::kill(-pid_t(m_group), SIGKILL);
    }
    m_processes.clear();
    m_group = 0;
}

} // namespace quillora::test
