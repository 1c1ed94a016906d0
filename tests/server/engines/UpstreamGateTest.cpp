// The bound on upstream requests in flight, on the virtual clock.
#include "server/engines/UpstreamGate.h"

#include "core/Detached.h"
#include "server/api/PolishApi.h"
#include "server/engines/RewriteEngine.h"
#include "server/store/DatabaseAddress.h"
#include "server/store/Store.h"
#include "server/store/StorePool.h"
#include "support/EventLoopWait.h"
#include "support/SimDesktopTest.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace quillora {
namespace {

class UpstreamGateTest : public SimDesktopTest
{
};

/** Starts waiting for `count` and returns where the outcome will appear (-1 while waiting). */
std::shared_ptr<int> request(UpstreamGate& gate, int count)
{
    auto outcome = std::make_shared<int>(-1);
    runDetached([](UpstreamGate& gate, int count, std::shared_ptr<int> outcome) -> QCoro::Task<> {
        *outcome = co_await gate.acquire(count);
    }(gate, count, outcome));
    return outcome;
}

TEST_F(UpstreamGateTest, PolishingsBeyondTheLimitWaitInOrderAndGiveUpAfterTheQueueTimeOut)
{
    UpstreamGate gate(clock(), 8, 30);
    const auto first = request(gate, 4);
    const auto second = request(gate, 4);
    const auto third = request(gate, 4);
    const auto small = request(gate, 1);
    // More presets than the limit take the whole limit, not a slot that never comes.
    EXPECT_EQ(*first, 4);
    EXPECT_EQ(*second, 4);
    EXPECT_EQ(*third, -1);
    EXPECT_EQ(*small, -1) << "a small polishing does not overtake the queue";
    EXPECT_EQ(gate.queued(), 2);

    advance(20);
    gate.release(4);
    EXPECT_EQ(*third, 4);
    EXPECT_EQ(*small, -1);
    gate.release(4);
    EXPECT_EQ(*small, 1);
    EXPECT_EQ(gate.inFlight(), 5);

    const auto huge = request(gate, 100);
    const auto late = request(gate, 1);
    advance(29);
    EXPECT_EQ(*huge, -1);
    advance(2);
    EXPECT_EQ(*huge, 0);
    // The one that held it back has given up, so the one behind it fits now.
    EXPECT_EQ(*late, 1);
    EXPECT_EQ(gate.queued(), 0);
    gate.release(6);
    EXPECT_EQ(*request(gate, 100), 8);
}

/** Answers at once; `upstream` says whether it stands for requests to a model server. */
class InstantEngine final : public RewriteEngine
{
public:
    explicit InstantEngine(bool upstream)
        : m_upstream(upstream)
    {
    }
    QString model() const override { return QStringLiteral("instant"); }
    bool callsUpstream() const override { return m_upstream; }
    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override
    {
        RewriteOutcome outcome{{}, {}, model()};
        for (const PresetText& preset : presets) {
            outcome.results.append({preset.name, text});
        }
        co_return outcome;
    }

private:
    bool m_upstream;
};

// The gate bounds requests to a model server; an engine that rewrites on its own threads must not
// be held to it, or a busy model limit would idle every core of a rules-engine service.
TEST_F(UpstreamGateTest, OnlyPolishingsThatCallUpstreamWaitForTheGate)
{
    QTemporaryDir folder;
    StorePool pool(DatabaseAddress::parse(folder.filePath(QStringLiteral("gate.sqlite"))), 1, clock());
    const qint64 user = pool.runBlocking([](Store& store) { return store.ensureUser(QStringLiteral("local"), 0); });
    UpstreamGate gate(clock(), 1, 30);
    ASSERT_EQ(*request(gate, 1), 1);

    for (const bool upstream : {false, true}) {
        InstantEngine engine(upstream);
        PolishApi api(pool, engine, clock(), gate, 1 << 20, 0);
        auto status = std::make_shared<std::optional<int>>();
        runDetached([](PolishApi& api, qint64 user, std::shared_ptr<std::optional<int>> status) -> QCoro::Task<> {
            const ApiResponse response = co_await api.polish(user, R"({"text":"A text to polish."})");
            *status = response.status;
        }(api, user, status));
        if (upstream) {
            ASSERT_TRUE(test::waitUntil([&gate] { return gate.queued() == 1; }))
                << "a model request waits for a free slot";
            advance(31);
            EXPECT_EQ(*status, 503);
        } else {
            EXPECT_TRUE(test::waitUntil([&status] { return status->has_value(); }));
            EXPECT_EQ(*status, 200);
        }
    }
}

} // namespace
} // namespace quillora
