// Token mode: bearer tokens that expire on the virtual clock, rotation and reuse detection.
#include "ServerTest.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace quillora {
namespace {

using test::HttpResult;
using test::HttpTestClient;
using test::TestServer;

constexpr qint64 kAccessTtl = 600;

class TokenFlowTest : public test::ServerTest
{
protected:
    void SetUp() override
    {
        ServerTest::SetUp();
        startServer(TestServer::tokenOptions(kAccessTtl));
    }

    HttpResult refresh(const QString& refreshToken)
    {
        return client().post(QStringLiteral("/auth/refresh"),
                             QJsonObject{{QStringLiteral("refresh_token"), refreshToken}});
    }

    TokenPair pairOf(const HttpResult& result)
    {
        const QJsonObject body = result.json().object();
        return {body.value(QLatin1String("access_token")).toString(),
                body.value(QLatin1String("refresh_token")).toString()};
    }

    int presetCountAs(const QString& accessToken)
    {
        client().setBearerToken(accessToken);
        const HttpResult result = client().get(QStringLiteral("/presets"));
        return result.status == 200 ? static_cast<int>(result.json().array().size()) : -result.status;
    }
};

TEST_F(TokenFlowTest, ExpiredAccessTokenIsRepairedByRefreshingAndRepeating)
{
    const TokenPair first = server().addUser(QStringLiteral("alice"));
    EXPECT_EQ(presetCountAs(first.accessToken), 4);

    advance(kAccessTtl + 1);
    client().setBearerToken(first.accessToken);
    const HttpResult expired = client().get(QStringLiteral("/presets"));
    EXPECT_EQ(expired.status, 401);
    EXPECT_EQ(expired.header("WWW-Authenticate"), "Bearer");

    client().setBearerToken({});
    const HttpResult refreshed = refresh(first.refreshToken);
    ASSERT_EQ(refreshed.status, 200) << refreshed.body.toStdString();
    const TokenPair second = pairOf(refreshed);
    EXPECT_NE(second.accessToken, first.accessToken);
    EXPECT_NE(second.refreshToken, first.refreshToken);

    EXPECT_EQ(presetCountAs(second.accessToken), 4);
    advance(kAccessTtl - 1);
    EXPECT_EQ(presetCountAs(second.accessToken), 4);
    advance(2);
    EXPECT_EQ(presetCountAs(second.accessToken), -401);
}

TEST_F(TokenFlowTest, ReusedRefreshTokenIsRefusedAndEndsItsSession)
{
    const TokenPair first = server().addUser(QStringLiteral("bob"));
    const TokenPair other = server().addUser(QStringLiteral("carol"));
    const TokenPair second = pairOf(refresh(first.refreshToken));
    ASSERT_FALSE(second.refreshToken.isEmpty());

    const HttpResult reuse = refresh(first.refreshToken);
    EXPECT_EQ(reuse.status, 401);
    EXPECT_TRUE(reuse.error().contains(QLatin1String("already used")));

    // The whole session is over: the pair it issued after the first use is dead too.
    EXPECT_EQ(presetCountAs(second.accessToken), -401);
    EXPECT_EQ(refresh(second.refreshToken).status, 401);
    // Other sessions are untouched.
    EXPECT_EQ(presetCountAs(other.accessToken), 4);
}

TEST_F(TokenFlowTest, ASpentRefreshTokenEndsItsSessionEvenLongAfterItExpired)
{
    const TokenPair first = server().addUser(QStringLiteral("erin"));
    // Rotated near the end of the first token's life, the second pair outlives the first token;
    // presenting the first one again after its expiry (and after the hourly purge) is still a reuse.
    advance(TestServer::tokenOptions(kAccessTtl).refreshTtl - 60);
    const TokenPair second = pairOf(refresh(first.refreshToken));
    ASSERT_FALSE(second.refreshToken.isEmpty());
    advance(2 * 3600);
    EXPECT_EQ(refresh(first.refreshToken).status, 401);

    // The second refresh token has most of its life left, yet its session is over.
    EXPECT_EQ(refresh(second.refreshToken).status, 401);
}

TEST_F(TokenFlowTest, RequestsWithoutAValidTokenAreRefused)
{
    const TokenPair pair = server().addUser(QStringLiteral("dave"));
    for (const QString& token : {QString(), QStringLiteral("qat_forged"), pair.refreshToken}) {
        SCOPED_TRACE(token.toStdString());
        client().setBearerToken(token);
        EXPECT_EQ(client().get(QStringLiteral("/presets")).status, 401);
        EXPECT_EQ(
            client()
                .post(QStringLiteral("/polish"), QJsonObject{{QStringLiteral("text"), QStringLiteral("hello there")}})
                .status,
            401);
    }
    client().setBearerToken({});
    EXPECT_EQ(client().get(QStringLiteral("/health")).status, 200);
    EXPECT_EQ(refresh(QStringLiteral("qrt_forged")).status, 401);
    EXPECT_EQ(client().send("POST", QStringLiteral("/auth/refresh"), R"({"refresh_token":42})").status, 400);
}

TEST_F(TokenFlowTest, UsersReachOnlyTheirOwnPresetsAndPolishings)
{
    const TokenPair alice = server().addUser(QStringLiteral("alice"));
    const TokenPair bob = server().addUser(QStringLiteral("bob"));
    client().setBearerToken(alice.accessToken);
    const qint64 presetId =
        client().get(QStringLiteral("/presets")).json().array().at(0).toObject().value(QLatin1String("id")).toInteger();
    const qint64 logId =
        client()
            .post(QStringLiteral("/polish"), QJsonObject{{QStringLiteral("text"), QStringLiteral("hello there world")}})
            .json()
            .object()
            .value(QLatin1String("log_id"))
            .toInteger();

    client().setBearerToken(bob.accessToken);
    EXPECT_EQ(client()
                  .put(QStringLiteral("/presets/%1").arg(presetId),
                       QJsonObject{{QStringLiteral("name"), QStringLiteral("Mine")},
                                   {QStringLiteral("instruction"), QStringLiteral("Be mine.")}})
                  .status,
              404);
    EXPECT_EQ(client().remove(QStringLiteral("/presets/%1").arg(presetId)).status, 404);
    const QJsonObject interaction{
        {QStringLiteral("interaction"), QJsonObject{{QStringLiteral("action"), QStringLiteral("use")},
                                                    {QStringLiteral("preset_name"), QStringLiteral("Casual")}}}};
    EXPECT_EQ(client().post(QStringLiteral("/polishing/%1/interactions").arg(logId), interaction).status, 404);

    client().setBearerToken(alice.accessToken);
    EXPECT_EQ(client().post(QStringLiteral("/polishing/%1/interactions").arg(logId), interaction).status, 201);
    EXPECT_EQ(presetCountAs(alice.accessToken), 4);
}

TEST_F(TokenFlowTest, OnlyHashesOfTokensAreStored)
{
    const TokenPair pair = server().addUser(QStringLiteral("erin"));
    QStringList stored;
    for (const QVariantList& row : server().query(QStringLiteral("SELECT hash FROM tokens"))) {
        stored.append(row.value(0).toString());
    }
    const auto sha256 = [](const QString& token) {
        return QString::fromLatin1(QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256).toHex());
    };
    EXPECT_EQ(stored.size(), 2);
    EXPECT_TRUE(stored.contains(sha256(pair.accessToken)));
    EXPECT_TRUE(stored.contains(sha256(pair.refreshToken)));
    EXPECT_FALSE(stored.contains(pair.accessToken));
}

} // namespace
} // namespace quillora
