// The app's own backend classes against the reference service in token mode: every call of the
// contract, and the session repaired by a refresh when the access token has expired on the clock.
#include "TestServer.h"

#include "app/AIPolishingService.h"
#include "app/BackendClient.h"
#include "app/PresetManager.h"
#include "app/UpdateManager.h"
#include "support/EventLoopWait.h"
#include "support/SimDesktopTest.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

using test::awaitTask;
using test::TestServer;

constexpr qint64 kAccessTtl = 600;

class ClientServerContractTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        m_server = std::make_unique<TestServer>(clock(), TestServer::tokenOptions(kAccessTtl));
        const TokenPair first = m_server->addUser(QStringLiteral("alice"));
        BackendClient::storeTokens(first.accessToken, first.refreshToken);
        m_updates = std::make_unique<UpdateManager>(desktop().userDefaults(), QStringLiteral("1.0.0"));
        m_client = std::make_unique<BackendClient>(m_server->origin().toString(), *m_updates);
    }

    void TearDown() override
    {
        m_client.reset();
        m_updates.reset();
        m_server.reset();
        SimDesktopTest::TearDown();
    }

    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_client;
};

QStringList namesOf(const QList<PolishPreset>& presets)
{
    QStringList names;
    for (const PolishPreset& preset : presets) {
        names << preset.name;
    }
    return names;
}

TEST_F(ClientServerContractTest, PresetsAndPolishingGoThroughEveryCall)
{
    PresetManager presets(*m_client);
    EXPECT_TRUE(awaitTask(presets.waitForInitialLoad()).succeeded());
    EXPECT_EQ(namesOf(presets.presets()), (QStringList{QStringLiteral("Professional"), QStringLiteral("Casual"),
                                                       QStringLiteral("Fix Grammar"), QStringLiteral("Concise")}));
    ASSERT_TRUE(presets.presets().first().backendId.has_value());

    EXPECT_TRUE(
        awaitTask(presets.addPreset(QStringLiteral("Shout"), QStringLiteral("Write it in capitals."))).succeeded());
    PolishPreset changed = presets.presets().last();
    changed.name = QStringLiteral("Loud");
    EXPECT_TRUE(awaitTask(presets.updatePreset(changed)).succeeded());
    EXPECT_TRUE(awaitTask(presets.deletePreset({1})).succeeded());

    // A fresh list from the service shows all three changes.
    PresetManager reloaded(*m_client);
    EXPECT_TRUE(awaitTask(reloaded.waitForInitialLoad()).succeeded());
    EXPECT_EQ(namesOf(reloaded.presets()), (QStringList{QStringLiteral("Professional"), QStringLiteral("Fix Grammar"),
                                                        QStringLiteral("Concise"), QStringLiteral("Loud")}));

    const AIPolishingService service(*m_client, reloaded);
    const PolishingOutcome outcome =
        awaitTask(service.polishAll(QStringLiteral("i think  the the meeting is on tuesday")));
    ASSERT_EQ(outcome.results.size(), 4);
    QStringList resultNames;
    for (const PolishedResult& result : outcome.results) {
        resultNames << result.presetName;
        EXPECT_FALSE(result.content.isEmpty());
        EXPECT_TRUE(result.logId.has_value());
    }
    EXPECT_EQ(resultNames, namesOf(reloaded.presets()));
    EXPECT_FALSE(outcome.model.isEmpty());

    awaitTask(m_client->logInteraction(*outcome.results.first().logId, QStringLiteral("use"),
                                       outcome.results.first().presetName));
    EXPECT_EQ(m_server->interactions().size(), 1);
}

TEST_F(ClientServerContractTest, ExpiredAccessTokenIsRefreshedOnceAndTheCallRepeated)
{
    const std::optional<QString> firstAccess = m_client->accessToken();
    const std::optional<QString> firstRefresh = m_client->refreshToken();
    advance(kAccessTtl + 1);

    const BackendResponse answer = awaitTask(m_client->request(QStringLiteral("/presets"), QStringLiteral("GET")));
    EXPECT_EQ(answer.status(), 200);
    ASSERT_TRUE(m_client->accessToken().has_value());
    EXPECT_NE(m_client->accessToken(), firstAccess);
    EXPECT_NE(m_client->refreshToken(), firstRefresh);

    // The spent refresh token is refused by the service and ends that session there too: a
    // second client still holding the old pair cannot get back in.
    BackendClient::storeTokens(*firstAccess, *firstRefresh);
    const BackendResponse refused = awaitTask(m_client->request(QStringLiteral("/presets"), QStringLiteral("GET")));
    EXPECT_EQ(refused.status(), 401);
    EXPECT_FALSE(m_client->accessToken().has_value());
    EXPECT_FALSE(m_client->refreshToken().has_value());
}

} // namespace
} // namespace quillora
