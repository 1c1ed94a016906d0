// The quillora-server program itself: start-up errors, exit statuses, users add, stopping on SIGTERM.
#include "HttpTestClient.h"

#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace quillora {
namespace {

class ServerProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile dictionary(m_folder.filePath(QStringLiteral("tiny.dic")));
        ASSERT_TRUE(dictionary.open(QIODevice::WriteOnly));
        dictionary.write("2\nthe\nmeeting/SM\n");
    }

    QStringList commonArguments() const
    {
        return {QStringLiteral("--database"), database(), QStringLiteral("--dictionary"),
                m_folder.filePath(QStringLiteral("tiny.dic"))};
    }

    QString database() const { return m_folder.filePath(QStringLiteral("server.sqlite")); }

    void start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_folder.filePath(QStringLiteral("data")));
        process.setProcessEnvironment(environment);
        process.setReadChannel(QProcess::StandardError);
        if (m_descriptorLimit > 0) {
            process.setChildProcessModifier([limit = m_descriptorLimit] {
                const rlimit lowered{limit, limit};
                ::setrlimit(RLIMIT_NOFILE, &lowered);
            });
        }
        process.start(QStringLiteral(QUILLORA_SERVER_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    struct Finished
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Finished runToEnd(const QStringList& arguments)
    {
        QProcess process;
        start(process, arguments);
        process.waitForFinished(30000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    /** Starts a server on a free port and returns its API root, or an empty text. */
    QString serve(QProcess& process, const QStringList& extra)
    {
        start(process,
              commonArguments() + QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + extra);
        static const QRegularExpression serving(QStringLiteral("serving (http://127\\.0\\.0\\.1:\\d+/api/v1)"));
        QString seen;
        while (process.waitForReadyRead(15000)) {
            seen += QString::fromUtf8(process.readAllStandardError());
            const QRegularExpressionMatch match = serving.match(seen);
            if (match.hasMatch()) {
                return match.captured(1);
            }
        }
        ADD_FAILURE() << "the server did not start: " << seen.toStdString();
        return {};
    }

    QTemporaryDir m_folder;
    /** RLIMIT_NOFILE of the started server; 0 leaves it as it is. */
    rlim_t m_descriptorLimit = 0;
};

TEST_F(ServerProcessTest, TokensServedOffLoopbackWithoutTlsAreWarnedAboutOnStart)
{
    QProcess process;
    start(process, commonArguments() + QStringList{QStringLiteral("--listen"), QStringLiteral("0.0.0.0:0"),
                                                   QStringLiteral("--mode"), QStringLiteral("token")});
    QString seen;
    while (!seen.contains(QLatin1String("serving")) && process.waitForReadyRead(15000)) {
        seen += QString::fromUtf8(process.readAllStandardError());
    }
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    process.waitForFinished(15000);
    EXPECT_TRUE(seen.contains(QLatin1String("warning: serving tokens without TLS on 0.0.0.0"))) << seen.toStdString();
}

TEST_F(ServerProcessTest, StartUpFailuresAreOneLineAndANonZeroStatus)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::LocalHost, 0));
    const QString busy = QStringLiteral("127.0.0.1:%1").arg(occupant.serverPort());
    const QString garbage = m_folder.filePath(QStringLiteral("garbage.sqlite"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    struct Case
    {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const std::vector<Case> cases = {
        {{QStringLiteral("--bogus")}, 2, QStringLiteral("unknown option --bogus")},
        {commonArguments() + QStringList{QStringLiteral("--listen"), busy}, 1,
         QStringLiteral("cannot listen on ") + busy},
        {{QStringLiteral("--database"), garbage, QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")},
         1,
         garbage},
        {{QStringLiteral("--dictionary"), QStringLiteral("/nonexistent.dic"), QStringLiteral("--database"), database()},
         2,
         QStringLiteral("/nonexistent.dic")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const Finished finished = runToEnd(c.arguments);
        EXPECT_EQ(finished.exitCode, c.exitCode);
        const QString error = finished.err.trimmed();
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << error.toStdString();
        EXPECT_TRUE(error.startsWith(QLatin1String("quillora-server: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(c.message)) << error.toStdString();
    }
}

TEST_F(ServerProcessTest, UsersAddPrintsAWorkingFirstTokenPairAndSigtermEndsServingCleanly)
{
    const Finished added = runToEnd({QStringLiteral("users"), QStringLiteral("add"), QStringLiteral("alice"),
                                     QStringLiteral("--database"), database()});
    ASSERT_EQ(added.exitCode, 0) << added.err.toStdString();
    const QJsonObject pair = QJsonDocument::fromJson(added.out.toUtf8()).object();
    EXPECT_EQ(pair.keys(), (QStringList{QStringLiteral("access_token"), QStringLiteral("refresh_token")}));

    const Finished again = runToEnd({QStringLiteral("users"), QStringLiteral("add"), QStringLiteral("alice"),
                                     QStringLiteral("--database"), database()});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(QLatin1String("already exists")));

    QProcess process;
    const QString api = serve(process, {QStringLiteral("--mode"), QStringLiteral("token")});
    ASSERT_FALSE(api.isEmpty());
    test::HttpTestClient client(api);
    EXPECT_EQ(client.get(QStringLiteral("/presets")).status, 401);
    client.setBearerToken(pair.value(QLatin1String("access_token")).toString());
    EXPECT_EQ(client.get(QStringLiteral("/presets")).json().array().size(), 4);
    const test::HttpResult polished = client.post(
        QStringLiteral("/polish"), QJsonObject{{QStringLiteral("text"), QStringLiteral("teh meeting is late")}});
    EXPECT_EQ(polished.status, 200);

    // SIGTERM ends the server cleanly, with the access log written.
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'));
    const auto polishLine = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
        return line.contains(QLatin1String("\"path\":\"/api/v1/polish\""));
    });
    ASSERT_NE(polishLine, lines.end());
    EXPECT_EQ(QJsonDocument::fromJson(polishLine->toUtf8()).object().value(QLatin1String("status")).toInt(), 200);
}

TEST_F(ServerProcessTest, RunningOutOfDescriptorsPausesAcceptingUntilSomeAreFree)
{
    m_descriptorLimit = 48;
    QProcess process;
    const QString api = serve(process, {});
    ASSERT_FALSE(api.isEmpty());
    const quint16 port = static_cast<quint16>(QUrl(api).port());
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    QString seen;
    // More connections than the server has descriptors; the kernel still completes them into the
    // backlog, where they wait.
    for (int i = 0; i < 80 && !seen.contains(QLatin1String("out of file descriptors")); ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        // A full backlog refuses further connections; the ones made are enough.
        if (!socket->waitForConnected(2000)) {
            break;
        }
        clients.push_back(std::move(socket));
        process.waitForReadyRead(i < 20 ? 0 : 100);
        seen += QString::fromUtf8(process.readAllStandardError());
    }
    // A busy machine may let the server notice only after the last connection was made.
    for (int wait = 0; wait < 50 && !seen.contains(QLatin1String("out of file descriptors")); ++wait) {
        process.waitForReadyRead(200);
        seen += QString::fromUtf8(process.readAllStandardError());
    }
    ASSERT_TRUE(seen.contains(QLatin1String("out of file descriptors")))
        << clients.size() << " connections made; the server said: " << seen.toStdString();

    clients.clear();
    test::HttpTestClient client(api);
    EXPECT_EQ(client.get(QStringLiteral("/health")).status, 200);
    EXPECT_EQ(client.get(QStringLiteral("/presets")).status, 200);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(15000));
}

} // namespace
} // namespace quillora
