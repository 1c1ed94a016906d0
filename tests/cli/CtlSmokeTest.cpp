#include "support/EventLoopWait.h"
#include "support/ScriptedHttpServer.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using Request = test::ScriptedHttpServer::Request;
using Reply = test::ScriptedHttpServer::Reply;

// A backend that knows one preset, Concise, and shortens every text to "Short.".
Reply answerWithOneConcisePreset(const Request& request)
{
    if (request.target == "/api/v1/presets") {
        return Reply::json(200, QJsonArray{QJsonObject{{QStringLiteral("id"), 1},
                                                       {QStringLiteral("name"), QStringLiteral("Concise")},
                                                       {QStringLiteral("instruction"), QStringLiteral("Shorter")}}});
    }
    return Reply::json(200, QJsonObject{{QStringLiteral("results"),
                                         QJsonObject{{QStringLiteral("Concise"), QStringLiteral("Short.")}}},
                                        {QStringLiteral("model"), QStringLiteral("m")},
                                        {QStringLiteral("duration"), 0.1}});
}

// Stores and the backend of one test: user defaults and history under `home`, never the real home.
void addPrivateHome(QProcessEnvironment& environment, const QTemporaryDir& home, const test::ScriptedHttpServer& server)
{
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QUILLORA_BACKEND_URL"), server.origin());
}

// Starts the built binary with `arguments` and `input` on its standard input.
std::unique_ptr<QProcess> startCtl(const QProcessEnvironment& environment, const QStringList& arguments,
                                   const QByteArray& input = {})
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(QUILLORA_CTL_PATH), arguments);
    process->write(input);
    process->closeWriteChannel();
    return process;
}

// Waits for `process` to end. The scripted backend answers on this thread's event loop, so this
// spins it instead of blocking.
bool finished(const QProcess& process)
{
    return test::waitUntil([&process] { return process.state() == QProcess::NotRunning; }, 30'000);
}

// Several command-line runs at once add to one history: the lock file serialises their changes, so
// none of the entries is lost, and the file stays private to its owner. When the history cannot be
// written, the run still prints the polishing but fails and says why.
TEST(CtlSmokeTest, ConcurrentRunsKeepEveryEntryAndAnUnwritableHistoryFailsTheRun)
{
    test::ScriptedHttpServer server;
    server.setHandler(answerWithOneConcisePreset);
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    addPrivateHome(environment, home, server);

    constexpr int kRuns = 8;
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(startCtl(environment, {QStringLiteral("polish"), QStringLiteral("text %1").arg(i)}));
    }
    for (const auto& process : runs) {
        ASSERT_TRUE(finished(*process));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    const QString historyPath = home.filePath(QStringLiteral("data/com.tessel.quillora/history.json"));
    QFile history(historyPath);
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(history.readAll()).array().size(), kRuns);
    EXPECT_EQ(history.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());

    // A directory where the file should be: nothing can be saved.
    ASSERT_TRUE(QFile::remove(historyPath));
    ASSERT_TRUE(QDir().mkpath(historyPath));
    const auto failing = startCtl(environment, {QStringLiteral("polish"), QStringLiteral("lost text")});
    ASSERT_TRUE(finished(*failing));
    EXPECT_EQ(failing->exitCode(), 1);
    EXPECT_TRUE(
        QString::fromUtf8(failing->readAllStandardError()).startsWith(QStringLiteral("quilloractl: The history")));
}

} // namespace
} // namespace quillora
