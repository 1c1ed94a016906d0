// Costs inside one "/polish" with the rules engine: the rewrites and the store's reads and writes.
#include "server/DatabaseAddress.h"
#include "server/RulesEngine.h"
#include "server/ServerOptions.h"
#include "server/Store.h"
#include "server/rules/SpellingDictionary.h"
#include "server/rules/TextRewriter.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace quillora;

const QString kText = QStringLiteral(
    "hey guys, basically i dont really know if we can finish teh report by friday , its gonna be very tight!! "
    "Due to the fact that the server was down we should of started earlier.");

const RulesResources& rules()
{
    static const ServerOptions defaults;
    static const RulesResources loaded =
        RulesResources::load(defaults.dictionaryPaths, defaults.rulesDataPath, defaults.wordnetPath);
    return loaded;
}

void BM_LoadDictionary(benchmark::State& state)
{
    for (auto _ : state) {
        const ServerOptions defaults;
        benchmark::DoNotOptimize(
            RulesResources::load(defaults.dictionaryPaths, defaults.rulesDataPath, defaults.wordnetPath));
    }
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);

void BM_RewriteFourStyles(benchmark::State& state)
{
    TextRewriter rewriter(rules().dictionary, rules().lexicon);
    for (auto _ : state) {
        const TextRewriter::Prepared prepared = rewriter.prepare(kText);
        for (const RewriteStyle style :
             {RewriteStyle::Professional, RewriteStyle::Casual, RewriteStyle::FixGrammar, RewriteStyle::Concise}) {
            benchmark::DoNotOptimize(rewriter.render(prepared, style));
        }
    }
}
BENCHMARK(BM_RewriteFourStyles)->Unit(benchmark::kMicrosecond);

void BM_CorrectUnseenWord(benchmark::State& state)
{
    int counter = 0;
    TextRewriter rewriter(rules().dictionary, rules().lexicon);
    for (auto _ : state) {
        // A fresh unknown word each time, so the corrector's memory does not help.
        QString word = QStringLiteral("recieve");
        for (int n = counter++, i = 0; i < 5; ++i, n /= 26) {
            word.append(QChar(u'a' + n % 26));
        }
        benchmark::DoNotOptimize(
            rewriter.rewrite(QStringLiteral("the %1 was late").arg(word), RewriteStyle::FixGrammar));
    }
}
BENCHMARK(BM_CorrectUnseenWord)->Unit(benchmark::kMicrosecond);

void BM_StorePresetsAndPolishing(benchmark::State& state)
{
    QTemporaryDir folder;
    Store store(DatabaseAddress::parse(folder.filePath(QStringLiteral("bench.sqlite"))));
    const qint64 user = store.ensureUser(QStringLiteral("local"), 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.presets(user));
        benchmark::DoNotOptimize(store.addPolishing({user, 1, QStringLiteral("quillora-rules-1"), 0.001, 120, 4}));
    }
}
BENCHMARK(BM_StorePresetsAndPolishing)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
