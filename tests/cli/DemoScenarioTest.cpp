#include "app/BackendFixture.h"

#include "cli/DemoScenario.h"

#include <QJsonArray>
#include <QTextStream>

namespace quillora {
namespace {

/**
 * The scenario against a scripted backend whose access token "fresh" is the only one it accepts;
 * the user's platform (the fixture's desktop) holds the outdated token "stale" and a refresh token.
 */
class DemoScenarioTest : public BackendFixture
{
protected:
    void SetUp() override
    {
        BackendFixture::SetUp();
        signIn(QStringLiteral("stale"), QStringLiteral("refresh-1"));
        server().setHandler([](const Request& request) -> std::optional<Reply> {
            if (request.target == "/api/v1/auth/refresh") {
                return Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("fresh")},
                                                    {QStringLiteral("refresh_token"), QStringLiteral("refresh-2")}});
            }
            if (request.header("authorization") != QByteArray("Bearer fresh")) {
                return Reply::json(401, QJsonObject{{QStringLiteral("error"), QStringLiteral("expired")}});
            }
            if (request.target == "/api/v1/presets") {
                return Reply::json(200, QJsonArray{QJsonObject{{QStringLiteral("id"), 1},
                                                               {QStringLiteral("name"), QStringLiteral("Formal")},
                                                               {QStringLiteral("instruction"), QStringLiteral("x")}}});
            }
            const QString text = request.json().value(QStringLiteral("text")).toString();
            return Reply::json(
                200, QJsonObject{{QStringLiteral("results"), QJsonObject{{QStringLiteral("Formal"), text.toUpper()}}},
                                 {QStringLiteral("log_id"), 9},
                                 {QStringLiteral("model"), QStringLiteral("m")},
                                 {QStringLiteral("duration"), 0.5}});
        });
    }

    bool runScenario(QString* output)
    {
        QTextStream out(output);
        DemoScenario::Options options;
        options.backendOrigin = server().origin();
        options.selection = QStringLiteral("please make this louder");
        options.networkTimeout = 10;
        return DemoScenario(out, options).run();
    }
};

TEST_F(DemoScenarioTest, PlaysTheLoopToThePasteAndKeepsTheRenewedSession)
{
    QString output;
    ASSERT_TRUE(runScenario(&output)) << output.toStdString();

    EXPECT_EQ(&Platform::current(), &desktop());
    for (const char* line :
         {"[  0.150 s] selection confirmed: \"please make this louder\"",
          "results panel shows three pulsing placeholder cards", "    FORMAL: \"PLEASE MAKE THIS LOUDER\"",
          "Command+V posted; TextEdit now holds \"Hi Sam, PLEASE MAKE THIS LOUDER Thanks!\""}) {
        EXPECT_TRUE(output.contains(QString::fromUtf8(line))) << line << "\n" << output.toStdString();
    }
    // "Use" was reported to the interaction log, as the real card reports it.
    const auto report = std::find_if(server().requests().cbegin(), server().requests().cend(), [](const Request& r) {
        return r.method == "POST" && r.target == "/api/v1/polishing/9/interactions";
    });
    ASSERT_NE(report, server().requests().cend());
    const QJsonObject interaction = report->json().value(QStringLiteral("interaction")).toObject();
    EXPECT_EQ(interaction.value(QStringLiteral("action")).toString(), QStringLiteral("use"));
    EXPECT_EQ(interaction.value(QStringLiteral("preset_name")).toString(), QStringLiteral("Formal"));
    // The pair renewed during the run replaces the user's, whose refresh token is now spent.
    EXPECT_EQ(storedToken("backendAccessToken"), QStringLiteral("fresh"));
    EXPECT_EQ(storedToken("backendRefreshToken"), QStringLiteral("refresh-2"));
    // Nothing of the simulated desktop's history reaches the user's.
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("isTrackingEnabled")));
}

TEST_F(DemoScenarioTest, FailedPolishingEndsTheRunWithTheErrorShown)
{
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.target == "/api/v1/polish") {
            return Reply::json(500, QJsonObject());
        }
        return Reply::json(200, QJsonArray());
    });
    QString output;

    EXPECT_FALSE(runScenario(&output));
    EXPECT_TRUE(output.contains(QStringLiteral("\"Something went wrong\" / Polishing failed"))) << output.toStdString();
    EXPECT_EQ(storedToken("backendAccessToken"), QStringLiteral("stale"));
}

} // namespace
} // namespace quillora
