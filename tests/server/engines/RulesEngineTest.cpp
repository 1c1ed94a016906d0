// The service's adapter to the rules engine: its worker threads and its life cycle.
#include "TestServer.h"

#include "core/Detached.h"
#include "server/engines/RulesEngine.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

QCoro::Task<> rewriteInto(RulesEngine& engine, std::optional<RewriteOutcome>& outcome)
{
    QCoro::Task<RewriteOutcome> rewrite =
        engine.rewrite(QStringLiteral("i think its fine"), {{QStringLiteral("Fix Grammar"), QString()}});
    outcome = co_await std::move(rewrite);
}

// The service destroys its engine while polishings may still be rewriting: their callers must be
// resumed before the engine's destructor returns, while what they go on to use still exists.
TEST(RulesEngineTest, DestroyingTheRulesEngineResumesTheRewritesStillRunning)
{
    auto engine = std::make_unique<RulesEngine>(test::TestServer::sharedRules(), 2);
    std::vector<std::optional<RewriteOutcome>> outcomes(8);
    for (std::optional<RewriteOutcome>& outcome : outcomes) {
        runDetached(rewriteInto(*engine, outcome));
    }
    engine.reset();
    for (const std::optional<RewriteOutcome>& outcome : outcomes) {
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->results.size(), 1);
    }
}

} // namespace
} // namespace quillora
