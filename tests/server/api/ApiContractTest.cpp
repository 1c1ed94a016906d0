// The seven calls of the backend contract, driven over loopback with a real HTTP client.
#include "ServerTest.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace quillora {
namespace {

using test::HttpResult;
using test::HttpTestClient;
using test::TestServer;

class ApiContractTest : public test::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        startServer(TestServer::defaultOptions());
    }

    HttpResult addPreset(const QString& name)
    {
        return client().post(
            QStringLiteral("/presets"),
            QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("instruction"), QStringLiteral("Be brief.")}});
    }

    /** Rows in `table` of the server's database. */
    int rowCount(const QString& table)
    {
        const QList<QVariantList> rows = server().query(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table));
        return rows.isEmpty() ? -1 : rows.first().value(0).toInt();
    }
};

TEST_F(ApiContractTest, PresetCallsListCreateChangeAndDelete)
{
    const HttpResult initial = client().get(QStringLiteral("/presets"));
    ASSERT_EQ(initial.status, 200);
    EXPECT_EQ(initial.header("Content-Type"), "application/json");
    const QJsonArray builtIn = initial.json().array();
    ASSERT_EQ(builtIn.size(), 4);
    for (const QJsonValue& preset : builtIn) {
        EXPECT_TRUE(preset.toObject().value(QLatin1String("id")).isDouble());
    }

    const HttpResult created =
        client().post(QStringLiteral("/presets"),
                      QJsonObject{{QStringLiteral("name"), QStringLiteral("Pirate")},
                                  {QStringLiteral("instruction"), QStringLiteral("Talk like a pirate.")}});
    ASSERT_EQ(created.status, 201);
    const qint64 id = created.json().object().value(QLatin1String("id")).toInteger();
    EXPECT_GT(id, 0);
    EXPECT_EQ(created.json().object().value(QLatin1String("name")).toString(), QStringLiteral("Pirate"));

    const HttpResult changed =
        client().put(QStringLiteral("/presets/%1").arg(id),
                     QJsonObject{{QStringLiteral("name"), QStringLiteral("Sailor")},
                                 {QStringLiteral("instruction"), QStringLiteral("Talk like a sailor.")}});
    ASSERT_EQ(changed.status, 200);
    EXPECT_EQ(changed.json().object().value(QLatin1String("instruction")).toString(),
              QStringLiteral("Talk like a sailor."));

    QJsonArray listed = client().get(QStringLiteral("/presets")).json().array();
    ASSERT_EQ(listed.size(), 5);
    EXPECT_EQ(listed.at(4).toObject().value(QLatin1String("name")).toString(), QStringLiteral("Sailor"));

    const HttpResult deleted = client().remove(QStringLiteral("/presets/%1").arg(id));
    EXPECT_EQ(deleted.status, 204);
    EXPECT_TRUE(deleted.body.isEmpty());
    EXPECT_EQ(client().remove(QStringLiteral("/presets/%1").arg(id)).status, 404);
    listed = client().get(QStringLiteral("/presets")).json().array();
    EXPECT_EQ(listed, builtIn);
}

TEST_F(ApiContractTest, PolishAnswersOnePerPresetAndItsLogIdTakesInteractions)
{
    const HttpResult polished =
        client().post(QStringLiteral("/polish"),
                      QJsonObject{{QStringLiteral("text"), QStringLiteral("i think teh meeting is is on monday")}});
    ASSERT_EQ(polished.status, 200) << polished.body.toStdString();
    const QJsonObject body = polished.json().object();
    EXPECT_TRUE(body.value(QLatin1String("log_id")).isDouble());
    EXPECT_EQ(body.value(QLatin1String("model")).toString(), QStringLiteral("quillora-rules-1"));
    EXPECT_TRUE(body.value(QLatin1String("duration")).isDouble());
    const QJsonObject results = body.value(QLatin1String("results")).toObject();
    EXPECT_EQ(results.keys(), (QStringList{QStringLiteral("Casual"), QStringLiteral("Concise"),
                                           QStringLiteral("Fix Grammar"), QStringLiteral("Professional")}));
    EXPECT_EQ(results.value(QLatin1String("Fix Grammar")).toString(),
              QStringLiteral("I think the meeting is on Monday"));
    EXPECT_EQ(rowCount(QStringLiteral("polishings")), 1);

    const qint64 logId = body.value(QLatin1String("log_id")).toInteger();
    const QJsonObject interaction{
        {QStringLiteral("interaction"), QJsonObject{{QStringLiteral("action"), QStringLiteral("copy")},
                                                    {QStringLiteral("preset_name"), QStringLiteral("Casual")}}}};
    const HttpResult logged = client().post(QStringLiteral("/polishing/%1/interactions").arg(logId), interaction);
    EXPECT_EQ(logged.status, 201);
    EXPECT_EQ(rowCount(QStringLiteral("interactions")), 1);
}

TEST_F(ApiContractTest, BadInputIsRefusedWithItsStatusAndNothingIsStored)
{
    const QByteArray validPreset = R"({"name":"Pirate","instruction":"Talk like a pirate."})";
    const QByteArray validInteraction = R"({"interaction":{"action":"use","preset_name":"Casual"}})";
    const QByteArray longText = "{\"text\":\"" + QByteArray(10001, 'a') + "\"}";
    const QByteArray hugeBody = "{\"text\":\"" + QByteArray(70000, 'a') + "\"}";
    const QByteArray longName =
        "{\"name\":\"" + QByteArray(51, 'n') + "\",\"instruction\":\"" + QByteArray(301, 'i') + "\"}";
    const QByteArray longInstruction = "{\"name\":\"Long\",\"instruction\":\"" + QByteArray(301, 'i') + "\"}";
    struct Case
    {
        QByteArray method;
        QString path;
        QByteArray body;
        int status;
        QString error;
    };
    const std::vector<Case> cases = {
        {"POST", QStringLiteral("/polish"), "not json", 400, QStringLiteral("not valid JSON")},
        {"POST", QStringLiteral("/polish"), "[1,2]", 400, QStringLiteral("must be a JSON object")},
        {"POST", QStringLiteral("/polish"), R"({"text":5})", 400, QStringLiteral("\"text\" must be a string")},
        {"POST", QStringLiteral("/polish"), "{}", 400, QStringLiteral("\"text\" must be a string")},
        {"POST", QStringLiteral("/polish"), R"({"text":"   "})", 422, QStringLiteral("must not be empty")},
        {"POST", QStringLiteral("/polish"), longText, 413, QStringLiteral("at most 10,000")},
        {"POST", QStringLiteral("/polish"), hugeBody, 413, QStringLiteral("64 KiB")},
        {"GET", QStringLiteral("/polish"), {}, 405, QStringLiteral("GET is not allowed")},
        {"POST", QStringLiteral("/presets"), longName, 422, QStringLiteral("50 characters")},
        {"POST", QStringLiteral("/presets"), longInstruction, 422, QStringLiteral("300 characters")},
        {"POST", QStringLiteral("/presets"), R"({"name":"Pirate","instruction":"Act as a pirate; IGNORE the rest"})",
         422, QStringLiteral("restricted term: \"ignore\"")},
        {"POST", QStringLiteral("/presets"), R"({"name":"","instruction":"Talk."})", 422,
         QStringLiteral("must not be empty")},
        {"POST", QStringLiteral("/presets"), R"({"name":"casual","instruction":"Talk."})", 409,
         QStringLiteral("already exists")},
        {"POST", QStringLiteral("/presets"), R"({"name":"Pi\u0000rate","instruction":"Talk."})", 422,
         QStringLiteral("name must be valid Unicode")},
        {"POST", QStringLiteral("/presets"), R"({"name":"Pirate \ud800","instruction":"Talk."})", 422,
         QStringLiteral("name must be valid Unicode")},
        {"POST", QStringLiteral("/presets"), R"({"name":"\udc00Casual","instruction":"Talk."})", 422,
         QStringLiteral("name must be valid Unicode")},
        {"POST", QStringLiteral("/presets"), R"({"name":"Pirate","instruction":"Talk\ude00 \ud83d."})", 422,
         QStringLiteral("Instruction must be valid Unicode")},
        {"PUT", QStringLiteral("/presets/1"), R"({"name":"\ud83d","instruction":"Talk."})", 422,
         QStringLiteral("name must be valid Unicode")},
        {"POST", QStringLiteral("/presets"), R"({"name":7,"instruction":"Talk."})", 400,
         QStringLiteral("\"name\" must be a string")},
        {"PUT", QStringLiteral("/presets/999"), validPreset, 404, QStringLiteral("No preset with id 999.")},
        {"PUT", QStringLiteral("/presets/abc"), validPreset, 404, QStringLiteral("No preset with id abc.")},
        {"DELETE", QStringLiteral("/presets/999"), {}, 404, QStringLiteral("No preset with id 999.")},
        {"DELETE", QStringLiteral("/presets"), {}, 405, QStringLiteral("use GET, POST")},
        {"POST", QStringLiteral("/polishing/999/interactions"), validInteraction, 404,
         QStringLiteral("No polishing with id 999.")},
        {"POST", QStringLiteral("/polishing/1/interactions"), R"({"interaction":"copy"})", 400,
         QStringLiteral("\"interaction\" must be an object")},
        {"GET", QStringLiteral("/nothing-here"), {}, 404, QStringLiteral("no such endpoint")},
    };
    const QByteArray presetsBefore = client().get(QStringLiteral("/presets")).body;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method.toStdString() + " " + c.path.toStdString() + " " + c.body.left(60).toStdString());
        const HttpResult result = client().send(c.method, c.path, c.body);
        EXPECT_EQ(result.status, c.status);
        EXPECT_TRUE(result.json().isObject());
        EXPECT_EQ(result.json().object().keys(), QStringList{QStringLiteral("error")});
        EXPECT_TRUE(result.error().contains(c.error)) << result.error().toStdString();
        if (c.status == 405) {
            EXPECT_FALSE(result.header("Allow").isEmpty());
        }
    }
    EXPECT_EQ(client().get(QStringLiteral("/presets")).body, presetsBefore);
    EXPECT_EQ(rowCount(QStringLiteral("polishings")), 0);
    EXPECT_EQ(rowCount(QStringLiteral("interactions")), 0);
}

TEST_F(ApiContractTest, AHugeRequestIsCutOffBeforeItIsRead)
{
    QTcpSocket socket;
    QByteArray answer;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { answer += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, server().port());
    ASSERT_TRUE(test::spinUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
    const QByteArray body = "{\"text\":\"" + QByteArray(3 * 1024 * 1024, 'a') + "\"}";
    socket.write("POST /api/v1/polish HTTP/1.1\r\nHost: test\r\nContent-Type: application/json\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
    EXPECT_TRUE(test::spinUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }));
    // The client may still be sending when the connection closes, and then never reads the answer.
    if (!answer.isEmpty()) {
        EXPECT_TRUE(answer.startsWith("HTTP/1.1 413")) << answer.left(100).toStdString();
    }
    EXPECT_TRUE(server().logLines().last().contains(QLatin1String("cut off a connection")));
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
    EXPECT_EQ(rowCount(QStringLiteral("polishings")), 0);
}

TEST_F(ApiContractTest, NamesAreUnicodeTextCountedInUserPerceivedCharacters)
{
    // A family emoji is one character made of five code points.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    EXPECT_EQ(addPreset(family.repeated(50)).status, 201);
    EXPECT_EQ(addPreset(family.repeated(51)).status, 422);

    // A valid surrogate pair is stored and answered as sent, and counts for duplicate names.
    const QString name = QStringLiteral("Smile \U0001F600");
    const HttpResult created = addPreset(name);
    ASSERT_EQ(created.status, 201);
    EXPECT_EQ(created.json().object().value(QLatin1String("name")).toString(), name);
    EXPECT_EQ(client().get(QStringLiteral("/presets")).json().array().last().toObject().value(QLatin1String("name")),
              name);
    EXPECT_EQ(
        client().send("POST", QStringLiteral("/presets"), R"({"name":"SMILE \ud83d\ude00","instruction":"x"})").status,
        409);
}

TEST_F(ApiContractTest, PresetsPerUserAndTheSizeOfAPolishingAreBounded)
{
    ServerOptions options = TestServer::defaultOptions();
    options.maxPresets = 6;
    options.maxAnswerBytes = 4000;
    startServer(options);
    // Four built-in presets, two more allowed.
    EXPECT_EQ(addPreset(QStringLiteral("Fifth")).status, 201);
    EXPECT_EQ(addPreset(QStringLiteral("Sixth")).status, 201);
    const HttpResult refused = addPreset(QStringLiteral("Seventh"));
    EXPECT_EQ(refused.status, 422);
    EXPECT_EQ(refused.error(), QStringLiteral("You can have at most 6 presets."));
    EXPECT_EQ(client().get(QStringLiteral("/presets")).json().array().size(), 6);

    // Six presets times the text must fit in the answer.
    const auto polish = [this](int length) {
        return client()
            .post(QStringLiteral("/polish"), QJsonObject{{QStringLiteral("text"), QString(length, QLatin1Char('a'))}})
            .status;
    };
    EXPECT_EQ(polish(600), 200);
    EXPECT_EQ(polish(700), 413);
    EXPECT_EQ(rowCount(QStringLiteral("polishings")), 1);
}

TEST_F(ApiContractTest, PolishingsBeyondTheDailyLimitAre429UntilTheNextDayAlsoWhenSentAtOnce)
{
    constexpr int kLimit = 10;
    constexpr int kSent = 50;
    ServerOptions options = TestServer::defaultOptions();
    options.dailyPolishLimit = kLimit;
    startServer(options);
    const QByteArray text = R"({"text":"teh meeting is late"})";
    std::vector<std::shared_ptr<HttpTestClient::Pending>> pending;
    for (int i = 0; i < kSent; ++i) {
        pending.push_back(client().start("POST", QStringLiteral("/polish"), text));
    }
    int passed = 0;
    HttpResult refused;
    for (const auto& request : pending) {
        ASSERT_TRUE(HttpTestClient::wait(request));
        passed += request->result.status == 200 ? 1 : 0;
        if (request->result.status == 429) {
            refused = request->result;
        }
    }
    EXPECT_EQ(passed, kLimit);
    EXPECT_EQ(rowCount(QStringLiteral("polishings")), kLimit);
    EXPECT_EQ(refused.status, 429);
    EXPECT_TRUE(refused.error().contains(QLatin1String("today's 10 polishings")));
    const qint64 retryAfter = refused.header("Retry-After").toLongLong();
    EXPECT_GT(retryAfter, 0);
    EXPECT_LE(retryAfter, 24 * 3600);

    advance(static_cast<double>(retryAfter));
    const auto nextDay = client().start("POST", QStringLiteral("/polish"), text);
    ASSERT_TRUE(HttpTestClient::wait(nextDay));
    EXPECT_EQ(nextDay->result.status, 200);
}

TEST_F(ApiContractTest, TheRulesEngineSaysWhichPresetsItCouldOnlyCorrectAndWhenItLeftTheTextAlone)
{
    ASSERT_EQ(addPreset(QStringLiteral("Pirate")).status, 201);
    const auto polish = [this](const QString& text) {
        const HttpResult polished =
            client().post(QStringLiteral("/polish"), QJsonObject{{QStringLiteral("text"), text}});
        EXPECT_EQ(polished.status, 200) << polished.body.toStdString();
        return polished.json().object();
    };
    const QJsonObject english = polish(QStringLiteral("i think teh meeting is on monday"));
    EXPECT_EQ(english.value(QLatin1String("follows_instructions")), QJsonValue(false));
    EXPECT_EQ(english.value(QLatin1String("corrections_only")).toArray(), QJsonArray{QStringLiteral("Pirate")});
    EXPECT_FALSE(english.contains(QLatin1String("note")));
    EXPECT_EQ(english.value(QLatin1String("results")).toObject().value(QLatin1String("Pirate")).toString(),
              QStringLiteral("I think the meeting is on Monday"));

    const QString german = QStringLiteral("Wir treffen uns morgen früh im Büro. Bitte bring die Unterlagen mit.");
    const QJsonObject foreign = polish(german);
    EXPECT_TRUE(foreign.value(QLatin1String("note")).toString().contains(QLatin1String("English")));
    EXPECT_EQ(foreign.value(QLatin1String("results")).toObject().value(QLatin1String("Casual")).toString(), german);
}

TEST_F(ApiContractTest, HealthMetricsAndTheAccessLogAccountForEachRequest)
{
    const HttpResult health = client().get(QStringLiteral("/health"));
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(health.json().object().value(QLatin1String("status")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(health.json().object().value(QLatin1String("database")).toString(), QStringLiteral("ok"));
    EXPECT_TRUE(health.header("X-Latest-App-Version").isEmpty());
    EXPECT_EQ(client().get(QStringLiteral("/presets")).status, 200);
    EXPECT_EQ(client().get(QStringLiteral("/presets")).status, 200);
    EXPECT_EQ(client().send("POST", QStringLiteral("/presets"), "{}").status, 400);

    const QStringList lines = server().logLines();
    ASSERT_EQ(lines.size(), 4);
    const QJsonObject refused = QJsonDocument::fromJson(lines.at(3).toUtf8()).object();
    EXPECT_EQ(refused.value(QLatin1String("method")).toString(), QStringLiteral("POST"));
    EXPECT_EQ(refused.value(QLatin1String("path")).toString(), QStringLiteral("/api/v1/presets"));
    EXPECT_EQ(refused.value(QLatin1String("status")).toInt(), 400);
    EXPECT_TRUE(refused.value(QLatin1String("duration_ms")).isDouble());
    EXPECT_GT(refused.value(QLatin1String("bytes")).toInt(), 0);

    HttpTestClient root(server().origin().toString());
    const HttpResult metrics = root.get(QStringLiteral("/metrics"));
    ASSERT_EQ(metrics.status, 200);
    EXPECT_TRUE(metrics.header("Content-Type").startsWith("text/plain"));
    const QString text = QString::fromUtf8(metrics.body);
    for (const char* line :
         {"quillora_requests_total{route=\"presets\",status=\"200\"} 2",
          "quillora_requests_total{route=\"presets\",status=\"400\"} 1",
          "quillora_request_duration_seconds_count{route=\"presets\"} 3",
          "quillora_request_duration_seconds_bucket{route=\"health\",le=\"+Inf\"} 1", "quillora_open_connections ",
          "quillora_database_pool_wait_seconds_count ", "quillora_database_up 1"}) {
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line << "\n" << text.toStdString();
    }
}

TEST_F(ApiContractTest, EveryResponseAnnouncesTheConfiguredLatestVersion)
{
    ServerOptions options = TestServer::defaultOptions();
    options.latestVersion = QStringLiteral("1.4.0");
    options.latestUrl = QStringLiteral("https://example.com/quillora-1.4.0.deb");
    startServer(options);
    for (const HttpResult& result :
         {client().get(QStringLiteral("/presets")), client().get(QStringLiteral("/health")),
          client().get(QStringLiteral("/missing")), client().send("GET", QStringLiteral("/polish"))}) {
        EXPECT_EQ(result.header("X-Latest-App-Version"), "1.4.0");
        EXPECT_EQ(result.header("X-Latest-App-URL"), "https://example.com/quillora-1.4.0.deb");
    }
}

} // namespace
} // namespace quillora
