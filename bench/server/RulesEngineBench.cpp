// Costs inside one "/polish" with the rules engine: the rewrites and the store's reads and writes.
#include "EvaluationSet.h"

#include "server/DatabaseAddress.h"
#include "server/RulesEngine.h"
#include "server/ServerOptions.h"
#include "server/Store.h"
#include "server/rules/SpellingDictionary.h"
#include "server/rules/TextRewriter.h"

#include <QCoreApplication>
#include <QMap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

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

// About 500 characters of everyday writing with the usual slips.
const QString kLongText = QStringLiteral(
    "hey team, i just wanted to reach out to let you know that the report is basically done. Their are still a "
    "few things to fix tho: the charts dont match the numbers, and me and him was planning to recieve the last "
    "data on friday. In order to finish on time we should of started earlier, but its been a crazy week. She "
    "don't have the new figures yet and the client has went quiet. Pls send me your notes asap, and lmk if u "
    "wanna meet tomorow at 10:30 in room B12. Thanks a lot, and sorry for the long message!");

/** Corrects `text` once per run and renders it in the four built-in styles. */
void rewriteFourStyles(benchmark::State& state, const QString& text)
{
    // One rewriter for all runs, as in the service, which remembers the corrections it found.
    TextRewriter rewriter(rules().dictionary, rules().lexicon);
    for (auto _ : state) {
        const TextRewriter::Prepared prepared = rewriter.prepare(text);
        for (const RewriteStyle style :
             {RewriteStyle::Professional, RewriteStyle::Casual, RewriteStyle::FixGrammar, RewriteStyle::Concise}) {
            benchmark::DoNotOptimize(rewriter.render(prepared, style));
        }
    }
}

void BM_PolishFiveHundredCharactersFourPresets(benchmark::State& state)
{
    rewriteFourStyles(state, kLongText);
    state.counters["characters"] = static_cast<double>(kLongText.size());
}
BENCHMARK(BM_PolishFiveHundredCharactersFourPresets)->Unit(benchmark::kMicrosecond);

/** Prints how the rules engine does on the evaluation set: share fixed per category, controls damaged. */
void printEvaluation()
{
    const test::EvaluationSet set = test::EvaluationSet::load();
    TextRewriter rewriter(rules().dictionary, rules().lexicon);
    QMap<QString, std::pair<int, int>> categories;
    for (const test::EvaluationSet::Error& error : set.errors) {
        auto& [fixed, total] = categories[error.category];
        fixed += rewriter.rewrite(error.input, RewriteStyle::FixGrammar) == error.expected ? 1 : 0;
        ++total;
    }
    int allFixed = 0;
    std::printf("Evaluation of \"Fix Grammar\" (%lld sentences with errors):\n",
                static_cast<long long>(set.errors.size()));
    for (auto it = categories.cbegin(); it != categories.cend(); ++it) {
        allFixed += it->first;
        std::printf("  %-14s %3d of %3d fixed (%5.1f %%)\n", qPrintable(it.key()), it->first, it->second,
                    100.0 * it->first / it->second);
    }
    std::printf("  %-14s %3d of %3lld fixed (%5.1f %%)\n", "all", allFixed, static_cast<long long>(set.errors.size()),
                100.0 * allFixed / std::max<qsizetype>(1, set.errors.size()));
    int damaged = 0;
    for (const QString& control : set.controls) {
        damaged += rewriter.rewrite(control, RewriteStyle::FixGrammar) == control ? 0 : 1;
    }
    std::printf("Controls damaged by \"Fix Grammar\": %d of %lld (%.1f %%)\n", damaged,
                static_cast<long long>(set.controls.size()),
                100.0 * damaged / std::max<qsizetype>(1, set.controls.size()));
    qsizetype before = 0;
    qsizetype after = 0;
    for (const QString& sentence : set.wordy) {
        before += sentence.size();
        after += rewriter.rewrite(sentence, RewriteStyle::Concise).size();
    }
    std::printf("\"Concise\" on wordy text: %.1f %% shorter\n\n",
                100.0 - 100.0 * after / std::max<qsizetype>(1, before));
}

void BM_RewriteFourStyles(benchmark::State& state)
{
    rewriteFourStyles(state, kText);
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
    printEvaluation();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
