#include "BackendFixture.h"

#include "app/PresetManager.h"
#include "core/JsonCoding.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace quillora {
namespace {

const QStringList kBuiltInNames = {QStringLiteral("Professional"), QStringLiteral("Casual"),
                                   QStringLiteral("Fix Grammar"), QStringLiteral("Concise")};

class PresetManagerTest : public BackendFixture
{
protected:
    void setCache(const QList<PolishPreset>& presets)
    {
        desktop().userDefaults().set(PresetManager::presetsKey,
                                     QJsonDocument(JsonCoding::encodeArray(presets)).toJson(QJsonDocument::Compact));
    }

    QStringList cachedNames()
    {
        const QByteArray bytes = desktop().userDefaults().data(PresetManager::presetsKey);
        return namesOf(JsonCoding::decodeArray<PolishPreset>(JsonCoding::parse(bytes)));
    }

    /** Backend presets named by the letters of `names`, with ids from 1 and the letter in lower case as instruction. */
    static QList<PolishPreset> lettered(const QString& names)
    {
        QList<PolishPreset> presets;
        for (qsizetype i = 0; i < names.size(); ++i) {
            presets.append(PolishPreset(qint64(i + 1), names.mid(i, 1), names.mid(i, 1).toLower()));
        }
        return presets;
    }

    /** A manager whose start-up load has finished; the backend's list request fails with 500. */
    std::unique_ptr<PresetManager> managerWithCache(const QList<PolishPreset>& cache)
    {
        setCache(cache);
        server().setHandler([](const Request&) { return Reply::text(500, "down"); });
        auto manager = std::make_unique<PresetManager>(client());
        test::awaitTask(manager->waitForInitialLoad());
        return manager;
    }
};

TEST_F(PresetManagerTest, StartUpShowsTheCacheThenTheBackendListOrTheBuiltInsAsLastResort)
{
    const QList<PolishPreset> mine = {PolishPreset(std::nullopt, QStringLiteral("Mine"), QStringLiteral("Be mine"))};
    struct Case
    {
        const char* name;
        std::optional<QByteArray> cache;
        std::optional<Reply> backend;
        QStringList expected;
    };
    const QByteArray mineCache = QJsonDocument(JsonCoding::encodeArray(mine)).toJson();
    const QList<Case> cases = {
        {"no cache, backend unreachable", std::nullopt, std::nullopt, kBuiltInNames},
        {"no cache, backend answers an empty list", std::nullopt, Reply::json(200, QJsonArray()), {}},
        {"cache, backend unreachable", mineCache, std::nullopt, {QStringLiteral("Mine")}},
        {"cache, backend answers 500", mineCache, Reply::text(500, "down"), {QStringLiteral("Mine")}},
        {"no cache, backend answers something else", std::nullopt, Reply::json(200, QJsonObject()), kBuiltInNames},
        {"unreadable cache, backend unreachable", QByteArray("[{"), std::nullopt, kBuiltInNames},
        {"cache, backend answers its list",
         mineCache,
         Reply::json(200, QJsonArray{backendPreset(1, QStringLiteral("A")), backendPreset(2, QStringLiteral("B"))}),
         {QStringLiteral("A"), QStringLiteral("B")}},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        desktop().userDefaults().removeDomain();
        if (testCase.cache) {
            desktop().userDefaults().set(PresetManager::presetsKey, *testCase.cache);
        }
        const QString origin = testCase.backend ? server().origin() : test::ScriptedHttpServer::closedOrigin();
        if (testCase.backend) {
            server().setHandler([reply = *testCase.backend](const Request&) { return reply; });
        }
        BackendClient backend(origin, updates());

        PresetManager manager(backend);
        if (testCase.cache == mineCache) {
            EXPECT_EQ(namesOf(manager.presets()), QStringList{QStringLiteral("Mine")});
        }
        test::awaitTask(manager.waitForInitialLoad());

        EXPECT_EQ(namesOf(manager.presets()), testCase.expected);
        EXPECT_EQ(cachedNames(), testCase.expected);
        for (const PolishPreset& preset : manager.presets()) {
            EXPECT_EQ(PresetManager::validate(preset.name, preset.instruction), std::nullopt) << "the editor takes it";
        }
    }
}

TEST_F(PresetManagerTest, AdditionAppendsOnlyWhatTheBackendConfirms)
{
    auto manager = managerWithCache(lettered(QStringLiteral("A")));
    const QList<QPair<Reply, QStringList>> cases = {
        {Reply::json(201, QJsonObject{{QStringLiteral("unexpected"), true}}), {QStringLiteral("A")}},
        {Reply::text(500, "no"), {QStringLiteral("A")}},
        {Reply::json(201, backendPreset(5, QStringLiteral("Pirate (server)"))),
         {QStringLiteral("A"), QStringLiteral("Pirate (server)")}},
    };
    for (const auto& [reply, expected] : cases) {
        server().setHandler([reply = reply](const Request&) { return reply; });
        const PresetOutcome outcome =
            test::awaitTask(manager->addPreset(QStringLiteral("Pirate"), QStringLiteral("Talk like a pirate")));
        EXPECT_EQ(outcome.succeeded(), expected.size() == 2);
        EXPECT_EQ(namesOf(manager->presets()), expected);
        EXPECT_EQ(cachedNames(), expected);
    }
    EXPECT_EQ(server().requests().last().json(),
              (QJsonObject{{QStringLiteral("name"), QStringLiteral("Pirate")},
                           {QStringLiteral("instruction"), QStringLiteral("Talk like a pirate")}}));
    EXPECT_EQ(manager->presets().last().backendId, 5);
}

TEST_F(PresetManagerTest, UpdateReplacesTheLocalPresetOnlyWhenConfirmedAndStillListed)
{
    auto manager = managerWithCache({PolishPreset(std::nullopt, QStringLiteral("Built-in"), QStringLiteral("b")),
                                     PolishPreset(11, QStringLiteral("Mine"), QStringLiteral("m"))});
    const int requestsBefore = static_cast<int>(server().requests().size());

    PolishPreset builtIn = manager->presets()[0];
    builtIn.name = QStringLiteral("Renamed");
    EXPECT_FALSE(test::awaitTask(manager->updatePreset(builtIn)).succeeded());
    EXPECT_EQ(server().requests().size(), requestsBefore);

    PolishPreset mine = manager->presets()[1];
    mine.instruction = QStringLiteral("changed");
    server().setHandler([](const Request&) { return Reply::text(500, "no"); });
    EXPECT_FALSE(test::awaitTask(manager->updatePreset(mine)).succeeded());
    EXPECT_EQ(manager->presets()[1].instruction, QStringLiteral("m"));

    server().setHandler([](const Request&) { return Reply::json(200, QJsonObject()); });
    PolishPreset stranger(11, QStringLiteral("Stranger"), QStringLiteral("s"));
    EXPECT_TRUE(test::awaitTask(manager->updatePreset(stranger)).succeeded());
    EXPECT_EQ(namesOf(manager->presets()), (QStringList{QStringLiteral("Built-in"), QStringLiteral("Mine")}));

    EXPECT_TRUE(test::awaitTask(manager->updatePreset(mine)).succeeded());
    EXPECT_EQ(server().requests().last().method, "PUT");
    EXPECT_EQ(server().requests().last().target, "/api/v1/presets/11");
    EXPECT_EQ(manager->presets()[1], mine);
}

TEST_F(PresetManagerTest, DeletionSendsOnlyBackendPresetsStopsAtATransportFailureAndRemovesRefusedOnesAnyway)
{
    const QList<PolishPreset> cache = {PolishPreset(std::nullopt, QStringLiteral("Built-in"), QStringLiteral("b")),
                                       PolishPreset(11, QStringLiteral("Eleven"), QStringLiteral("e")),
                                       PolishPreset(12, QStringLiteral("Twelve"), QStringLiteral("t")),
                                       PolishPreset(13, QStringLiteral("Thirteen"), QStringLiteral("t"))};
    auto manager = managerWithCache(cache);
    const QStringList left = {QStringLiteral("Eleven"), QStringLiteral("Thirteen")};
    server().setHandler([](const Request&) { return Reply{204, {}, {}, false}; });
    EXPECT_TRUE(test::awaitTask(manager->deletePreset({2, 0})).succeeded());
    EXPECT_EQ(server().count("DELETE", "/api/v1/presets/12"), 1);
    EXPECT_EQ(server().requests().last().method, "DELETE");
    EXPECT_EQ(namesOf(manager->presets()), left);
    EXPECT_EQ(cachedNames(), left);

    server().setHandler([](const Request& request) {
        return request.target.endsWith("/13") ? Reply::drop() : Reply{204, {}, {}, false};
    });
    EXPECT_FALSE(test::awaitTask(manager->deletePreset({0, 1})).succeeded());
    EXPECT_EQ(server().count("DELETE", "/api/v1/presets/11"), 1);
    EXPECT_EQ(namesOf(manager->presets()), left) << "a request lost in transport removes nothing";

    server().setHandler([](const Request&) { return Reply::text(404, "gone"); });
    EXPECT_FALSE(test::awaitTask(manager->deletePreset({0})).succeeded());
    EXPECT_EQ(namesOf(manager->presets()), QStringList{QStringLiteral("Thirteen")});
}

TEST_F(PresetManagerTest, OffsetsThatVanishDuringDeletionAreSkipped)
{
    auto manager = managerWithCache(lettered(QStringLiteral("ABC")));
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.method == "DELETE") {
            return std::nullopt;
        }
        return Reply::json(200, QJsonArray{backendPreset(9, QStringLiteral("X"))});
    });

    const auto deletion = test::start(manager->deletePreset({1, 2}));
    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));
    test::awaitTask(manager->loadPresets());
    server().releaseHeld(Reply{204, {}, {}, false});
    ASSERT_TRUE(test::waitUntil([&deletion] { return deletion->done(); }));

    EXPECT_EQ(server().count("DELETE", "/api/v1/presets/2"), 1);
    EXPECT_EQ(server().count("DELETE", "/api/v1/presets/3"), 0);
    EXPECT_EQ(namesOf(manager->presets()), QStringList{QStringLiteral("X")});
}

} // namespace
} // namespace quillora
