#include "BackendFixture.h"

#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/BackendFailureText.h"
#include "app/BackendOrigin.h"
#include "app/PresetManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace quillora {
namespace {

using BackendClientTest = BackendFixture;

const QByteArray kRefreshTarget = "/api/v1/auth/refresh";

TEST_F(BackendClientTest, EveryRequestCarriesTheStandardHeadersAndTheTokenOnlyWhenStored)
{
    server().setHandler([](const Request&) { return Reply::json(200, QJsonObject()); });
    // With or without a leading slash, paths join the base address the same way.
    for (const QString& path : {QStringLiteral("presets?limit=2"), QStringLiteral("/presets?limit=2")}) {
        EXPECT_EQ(test::awaitTask(client().request(path, QStringLiteral("GET"))).status(), 200);
        EXPECT_EQ(server().requests().last().target, "/api/v1/presets?limit=2");
    }
    signIn(QStringLiteral("token-1"), QStringLiteral("refresh-1"));
    test::awaitTask(client().request(QStringLiteral("presets"), QStringLiteral("POST"),
                                     QJsonObject{{QStringLiteral("name"), QStringLiteral("A")}}));

    ASSERT_EQ(server().requests().size(), 3);
    const Request& anonymous = server().requests()[0];
    const Request& signedIn = server().requests()[2];
    for (const Request* request : {&anonymous, &signedIn}) {
        EXPECT_EQ(request->header("content-type"), QByteArray("application/json"));
        EXPECT_EQ(request->header("x-user-local-date"), QByteArray("2026-01-05"));
        EXPECT_EQ(request->header("x-app-version"), AppInfo::version().toUtf8());
    }
    EXPECT_EQ(anonymous.method, "GET");
    EXPECT_FALSE(anonymous.header("authorization").has_value());
    EXPECT_TRUE(anonymous.body.isEmpty());
    EXPECT_EQ(signedIn.method, "POST");
    EXPECT_EQ(signedIn.header("authorization"), QByteArray("Bearer token-1"));
    EXPECT_EQ(signedIn.body, QByteArray(R"({"name":"A"})"));
}

TEST_F(BackendClientTest, ConcurrentUnauthorizedRequestsShareOneRefresh)
{
    signIn(QStringLiteral("old"), QStringLiteral("refresh-1"));
    int rejected = 0;
    server().setHandler([&rejected](const Request& request) -> std::optional<Reply> {
        if (request.target == kRefreshTarget) {
            return std::nullopt;
        }
        if (request.header("authorization") == QByteArray("Bearer old")) {
            // Each 401 announces its own version. The client hands the announcement over just before
            // it joins the refresh, so two announcements arriving means both requests wait for it.
            ++rejected;
            return Reply::json(401, QJsonObject(),
                               {{"X-Latest-App-Version", "2.0." + QByteArray::number(rejected)},
                                {"X-Latest-App-URL", "https://example.com/download"}});
        }
        return Reply::json(200, QJsonObject{{QStringLiteral("path"), QString::fromUtf8(request.target)}});
    });
    int announcements = 0;
    QObject::connect(&updates(), &UpdateManager::latestVersionChanged, [&announcements] { ++announcements; });

    const auto first = test::start(client().request(QStringLiteral("/presets"), QStringLiteral("GET")));
    const auto second = test::start(client().request(QStringLiteral("/polish"), QStringLiteral("POST"),
                                                     QJsonObject{{QStringLiteral("text"), QStringLiteral("x")}}));
    ASSERT_TRUE(test::waitUntil([&] { return announcements == 2 && server().heldCount() == 1; }));
    server().releaseHeld(Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("new")},
                                                      {QStringLiteral("refresh_token"), QStringLiteral("refresh-2")}}));
    ASSERT_TRUE(test::waitUntil([&] { return first->done() && second->done(); }));

    EXPECT_EQ(server().count("POST", kRefreshTarget), 1);
    ASSERT_TRUE(first->value() && second->value());
    EXPECT_EQ(first->value()->status(), 200);
    EXPECT_EQ(second->value()->status(), 200);
    EXPECT_EQ(server().count("GET", "/api/v1/presets"), 2);
    EXPECT_EQ(server().count("POST", "/api/v1/polish"), 2);
    EXPECT_EQ(server().requests().last().header("authorization"), QByteArray("Bearer new"));
    EXPECT_EQ(storedToken("backendAccessToken"), QStringLiteral("new"));
    EXPECT_EQ(storedToken("backendRefreshToken"), QStringLiteral("refresh-2"));

    // The refresh carries the refresh token and nothing but the content type.
    const auto refresh = std::find_if(server().requests().cbegin(), server().requests().cend(),
                                      [](const Request& request) { return request.target == kRefreshTarget; });
    EXPECT_EQ(refresh->body, QByteArray(R"({"refresh_token":"refresh-1"})"));
    EXPECT_EQ(refresh->header("content-type"), QByteArray("application/json"));
    for (const char* absent : {"authorization", "x-app-version", "x-user-local-date"}) {
        EXPECT_FALSE(refresh->header(absent).has_value()) << absent;
    }
}

TEST_F(BackendClientTest, OnlyARefusedRefreshEndsTheSessionAndAFailureOnTheWayKeepsTheTokens)
{
    const struct
    {
        const char* name;
        Reply refreshReply;
        Reply repeatedReply;
        bool endsSession;
        const char* errorDomain;
    } cases[] = {
        {"refresh answered 500", Reply::text(500, "boom"), Reply::text(200, "{}"), true, nullptr},
        {"refresh answered 401", Reply::text(401, "spent"), Reply::text(200, "{}"), true, nullptr},
        {"refresh body without refresh_token",
         Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("new")}}), Reply::text(200, "{}"),
         false, "NSCocoaErrorDomain"},
        {"refresh lost in transport", Reply::drop(), Reply::text(200, "{}"), false, "QNetworkReply"},
        {"repeated request lost in transport",
         Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("new")},
                                      {QStringLiteral("refresh_token"), QStringLiteral("refresh-2")}}),
         Reply::drop(), false, "QNetworkReply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        signIn(QStringLiteral("old"), QStringLiteral("refresh-1"));
        server().setHandler([&c](const Request& request) {
            if (request.target == kRefreshTarget) {
                return c.refreshReply;
            }
            return request.header("authorization") == QByteArray("Bearer old") ? Reply::text(401, "first")
                                                                               : c.repeatedReply;
        });
        int sessionEnds = 0;
        const QMetaObject::Connection connection =
            QObject::connect(&client(), &BackendClient::sessionEnded, [&sessionEnds] { ++sessionEnds; });
        std::optional<BackendResponse> response;
        ErrorPtr error;
        try {
            response = test::awaitTask(client().request(QStringLiteral("/presets"), QStringLiteral("GET")));
        } catch (...) {
            error = errorFromException(std::current_exception());
        }
        QObject::disconnect(connection);

        EXPECT_EQ(sessionEnds, c.endsSession ? 1 : 0);
        EXPECT_EQ(client().refreshToken().has_value(), !c.endsSession);
        if (c.endsSession) {
            ASSERT_TRUE(response);
            EXPECT_EQ(response->status(), 401);
            EXPECT_EQ(response->body, QByteArray("first"));
        } else {
            ASSERT_TRUE(error) << "the call fails with what went wrong";
            EXPECT_EQ(error->toRecord().domain(), QString::fromLatin1(c.errorDomain));
        }
    }
}

TEST_F(BackendClientTest, UnauthorizedIsReturnedAtOnceWithoutRefreshTokenAndAfterOneRefreshOtherwise)
{
    const QList<QPair<QByteArray, bool>> cases = {{"plain text", true}, {"\xff\xfe\xfd", false}};
    for (const auto& [body, expectLine] : cases) {
        SCOPED_TRACE(body.toStdString());
        desktop().userDefaults().set(QStringLiteral("backendAccessToken"), QStringLiteral("only"));
        server().setHandler([body = body](const Request&) { return Reply{401, body, {}, false}; });
        const qsizetype linesBefore = log().size();

        const BackendResponse response =
            test::awaitTask(client().request(QStringLiteral("/presets"), QStringLiteral("GET")));

        EXPECT_EQ(response.status(), 401);
        EXPECT_EQ(response.body, body);
        EXPECT_EQ(server().count("POST", kRefreshTarget), 0);
        EXPECT_EQ(storedToken("backendAccessToken"), QStringLiteral("only"));
        EXPECT_EQ(log().size() - linesBefore, expectLine ? 1 : 0);
        if (expectLine) {
            EXPECT_EQ(log().last(), QStringLiteral("❌ 401 Unauthorized: plain text"));
        }
    }

    // A request repeated after a refresh and refused again is returned without a second refresh.
    signIn(QStringLiteral("old"), QStringLiteral("refresh-1"));
    server().setHandler([](const Request& request) {
        if (request.target == kRefreshTarget) {
            return Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("new")},
                                                {QStringLiteral("refresh_token"), QStringLiteral("refresh-2")}});
        }
        return Reply::text(401, "still no");
    });
    const int listsBefore = server().count("GET", "/api/v1/presets");
    const BackendResponse response =
        test::awaitTask(client().request(QStringLiteral("presets"), QStringLiteral("GET")));
    EXPECT_EQ(response.status(), 401);
    EXPECT_EQ(response.body, QByteArray("still no"));
    EXPECT_EQ(server().count("POST", kRefreshTarget), 1);
    EXPECT_EQ(server().count("GET", "/api/v1/presets") - listsBefore, 2);
}

TEST_F(BackendClientTest, UpdateHeadersReachTheUpdateNoticeWhateverTheStatus)
{
    struct Case
    {
        const char* name;
        QList<QPair<QByteArray, QByteArray>> headers;
        std::optional<QString> expectedVersion;
    };
    const QList<Case> cases = {
        {"both headers on a 500",
         {{"X-Latest-App-Version", "2.0.0"}, {"X-Latest-App-URL", "https://example.com/download"}},
         QStringLiteral("2.0.0")},
        {"version without address", {{"X-Latest-App-Version", "2.0.0"}}, std::nullopt},
        {"address that does not parse",
         {{"X-Latest-App-Version", "2.0.0"}, {"X-Latest-App-URL", "https://exa mple.com/%zz"}},
         std::nullopt},
        {"address that is not a web page",
         {{"X-Latest-App-Version", "2.0.0"}, {"X-Latest-App-URL", "file:///etc/passwd"}},
         std::nullopt},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        UpdateManager updates(desktop().userDefaults(), QStringLiteral("1.0.0"));
        BackendClient client(server().origin(), updates);
        server().setHandler([&testCase](const Request&) { return Reply{500, "oops", testCase.headers, false}; });

        const BackendResponse response =
            test::awaitTask(client.request(QStringLiteral("/polish"), QStringLiteral("POST")));
        QCoreApplication::sendPostedEvents(&updates, QEvent::MetaCall);

        EXPECT_EQ(response.status(), 500);
        EXPECT_EQ(updates.latestVersion(), testCase.expectedVersion);
        if (testCase.expectedVersion) {
            EXPECT_EQ(updates.updateURL(), QUrl(QStringLiteral("https://example.com/download")));
        }
    }
}

TEST_F(BackendClientTest, PlainHttpToAnotherMachineIsRefusedAndNothingIsSent)
{
    const QList<QPair<QString, bool>> origins = {
        {QStringLiteral("https://api.example.com"), true},
        {QStringLiteral("https://api.example.com/"), true},
        {QStringLiteral("http://127.0.0.1:8740"), true},
        {QStringLiteral("http://localhost:8740"), true},
        {QStringLiteral("http://[::1]:8740"), true},
        {QStringLiteral("http://api.example.com"), false},
        {QStringLiteral("http://192.168.1.10:8740"), false},
        {QStringLiteral("ftp://api.example.com"), false},
        {QStringLiteral("not a url"), false},
    };
    for (const auto& [origin, accepted] : origins) {
        SCOPED_TRACE(origin.toStdString());
        EXPECT_EQ(!BackendOrigin::refusal(origin).has_value(), accepted);
    }

    BackendClient refused(QStringLiteral("http://api.example.com"), updates());
    ASSERT_TRUE(refused.originError());
    const ErrorPtr error = failureOf(refused.request(QStringLiteral("/presets"), QStringLiteral("GET")));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->toRecord().domain(), QStringLiteral("BackendClient"));
    EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("https")));
}

TEST_F(BackendClientTest, AMissingServiceIsOneSentenceWithItsAddressAndHowToBringItBack)
{
    // A port nobody listens on: the connection is refused.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString nobody = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    const auto failureFrom = [this](const QString& origin) {
        BackendClient missing(origin, updates());
        const ErrorPtr error = failureOf(missing.request(QStringLiteral("/polish"), QStringLiteral("POST")));
        return error ? error->localizedDescription() : QString();
    };
    const QString refused = failureFrom(nobody);
    EXPECT_TRUE(refused.startsWith(QStringLiteral("Cannot reach the Quillora service at %1. ").arg(nobody)))
        << refused.toStdString();
    EXPECT_TRUE(refused.endsWith(QStringLiteral("check Settings → Backend."))) << refused.toStdString();
    // The systemd hint only where the user unit is installed.
    EXPECT_EQ(refused.contains(QStringLiteral("systemctl")), BackendFailureText::serverUnitInstalled());
    QTemporaryDir config;
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("systemd/user")));
    QFile unit(config.filePath(QStringLiteral("systemd/user/quillora-server.service")));
    ASSERT_TRUE(unit.open(QIODevice::WriteOnly));
    unit.close();
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    EXPECT_TRUE(failureFrom(nobody).contains(
        QStringLiteral("Start it with `systemctl --user start quillora-server` or check Settings → Backend.")));
    qputenv("XDG_CONFIG_HOME", previous);

    // TLS spoken to a plain HTTP service fails its handshake.
    QTcpServer plain;
    ASSERT_TRUE(plain.listen(QHostAddress::LocalHost));
    QObject::connect(&plain, &QTcpServer::newConnection, &plain, [&plain] {
        QTcpSocket* socket = plain.nextPendingConnection();
        socket->write("HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
    });
    const QString tls = failureFrom(QStringLiteral("https://127.0.0.1:%1").arg(plain.serverPort()));
    EXPECT_TRUE(tls.startsWith(QStringLiteral("The secure connection to the Quillora service at https://127.0.0.1:")))
        << tls.toStdString();
}

TEST_F(BackendClientTest, ClientDestroyedDuringARefreshRunsNothingAfterwards)
{
    signIn(QStringLiteral("old"), QStringLiteral("refresh-1"));
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.target == kRefreshTarget) {
            return std::nullopt; // held until the client is gone
        }
        return Reply::json(401, QJsonObject());
    });
    auto doomed = std::make_unique<BackendClient>(server().origin(), updates());
    const auto outcome = test::start(doomed->request(QStringLiteral("/presets"), QStringLiteral("GET")));
    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));

    doomed.reset();
    server().releaseHeld(Reply::json(200, QJsonObject{{QStringLiteral("access_token"), QStringLiteral("new")},
                                                      {QStringLiteral("refresh_token"), QStringLiteral("refresh-2")}}));
    ASSERT_TRUE(test::waitUntil([&outcome] { return outcome->done(); }));
    // The request ends with the first answer or the cancelled refresh, and is never repeated.
    EXPECT_EQ(server().count("GET", "/api/v1/presets"), 1);
    EXPECT_FALSE(outcome->value() && outcome->value()->status() == 200);
}

} // namespace
} // namespace quillora
