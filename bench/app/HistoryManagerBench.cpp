// Loading and saving a full history file: 100 items with 4 variations of 500 characters each,
// about 230 KB of JSON. Both happen on the main thread, so each should stay well under a frame.
#include "app/HistoryManager.h"
#include "platform/sim/SimDesktop.h"

#include <benchmark/benchmark.h>

namespace quillora {
namespace {

constexpr int kVariations = 4;
constexpr int kVariationLength = 500;

// A simulated desktop whose app-data folder holds a full history file.
class FullHistory
{
public:
    FullHistory()
    {
        Platform::setCurrent(&m_desktop);
        HistoryManager history;
        const QString variation =
            QStringLiteral("Polished words, ").repeated(kVariationLength / 16 + 1).left(kVariationLength);
        for (qsizetype i = 0; i < HistoryManager::maximumItems; ++i) {
            QList<PolishedResult> results;
            for (int v = 0; v < kVariations; ++v) {
                results.append(PolishedResult(QStringLiteral("Preset %1").arg(v), variation, 1000 + i));
            }
            history.addEntry(variation.left(200), results, QStringLiteral("quill-1"), 1.25);
            m_desktop.clock().advance(30);
        }
    }

    ~FullHistory() { Platform::setCurrent(nullptr); }

private:
    SimDesktop m_desktop;
};

void BM_LoadFullHistory(benchmark::State& state)
{
    const FullHistory fixture;
    for (auto _ : state) {
        HistoryManager history;
        benchmark::DoNotOptimize(history.items().size());
        if (history.items().size() != HistoryManager::maximumItems) {
            state.SkipWithError("the history did not load in full");
        }
    }
}
BENCHMARK(BM_LoadFullHistory)->Unit(benchmark::kMillisecond);

void BM_SaveFullHistory(benchmark::State& state)
{
    const FullHistory fixture;
    HistoryManager history;
    for (auto _ : state) {
        history.saveHistory();
    }
}
BENCHMARK(BM_SaveFullHistory)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillora

BENCHMARK_MAIN();
