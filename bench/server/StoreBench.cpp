// Costs inside one "/polish" besides the rewrite: the store's reads and writes.
#include "server/store/DatabaseAddress.h"
#include "server/store/Store.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace quillora;

void BM_StorePresetsAndPolishing(benchmark::State& state)
{
    QTemporaryDir folder;
    Store store(DatabaseAddress::parse(folder.filePath(QStringLiteral("bench.sqlite"))));
    const qint64 user = store.ensureUser(QStringLiteral("local"), 0);
    for (auto _ : state) {
        // With a daily limit: counted before the rewrite, counted and recorded in one step after it.
        benchmark::DoNotOptimize(store.polishingsOnDayOf(user, 1));
        benchmark::DoNotOptimize(store.presets(user));
        benchmark::DoNotOptimize(
            store.addPolishing({user, 1, QStringLiteral("quillora-rules-1"), 0.001, 120, 4}, 1'000'000'000));
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
