#include "support/EventLoopWait.h"
#include "support/ScriptedHttpServer.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using Request = test::ScriptedHttpServer::Request;
using Reply = test::ScriptedHttpServer::Reply;

// The built binary on the real Linux stores, with no display, in a private home.
TEST(CtlSmokeTest, BuiltBinaryPolishesAndKeepsTheHistoryWithoutADisplay)
{
    test::ScriptedHttpServer server;
    server.setHandler([](const Request& request) {
        if (request.target == "/api/v1/presets") {
            return Reply::json(200,
                               QJsonArray{QJsonObject{{QStringLiteral("id"), 1},
                                                      {QStringLiteral("name"), QStringLiteral("Concise")},
                                                      {QStringLiteral("instruction"), QStringLiteral("Shorter")}}});
        }
        return Reply::json(200, QJsonObject{{QStringLiteral("results"),
                                             QJsonObject{{QStringLiteral("Concise"), QStringLiteral("Short.")}}},
                                            {QStringLiteral("model"), QStringLiteral("m")},
                                            {QStringLiteral("duration"), 0.1}});
    });
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QUILLORA_BACKEND_URL"), server.origin());

    const auto runBinary = [&environment](const QStringList& arguments, const QByteArray& input) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLORA_CTL_PATH), arguments);
        process.write(input);
        process.closeWriteChannel();
        // The scripted backend answers on this thread's event loop, so spin it instead of blocking.
        EXPECT_TRUE(test::waitUntil([&process] { return process.state() == QProcess::NotRunning; }, 30'000));
        return std::make_pair(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()));
    };

    const auto [polishCode, polishOut] = runBinary({QStringLiteral("polish")}, "A rather long sentence.\n");
    EXPECT_EQ(polishCode, 0);
    EXPECT_EQ(polishOut, QStringLiteral("== Concise ==\nShort.\n"));

    const auto [historyCode, historyOut] = runBinary({QStringLiteral("history")}, {});
    EXPECT_EQ(historyCode, 0);
    EXPECT_TRUE(historyOut.contains(QStringLiteral("Original: A rather long sentence.")));
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("data/com.tessel.quillora/history.json"))));

    EXPECT_EQ(runBinary({QStringLiteral("--help")}, {}).first, 0);
    EXPECT_EQ(runBinary({QStringLiteral("bogus")}, {}).first, 2);
}

} // namespace
} // namespace quillora
