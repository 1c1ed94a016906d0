// The memory the two floating panels cost: the resident set before and after making both windows,
// showing them on the offscreen platform with four cards, and letting them paint. The tracker makes
// one pair for the life of the process, so the first pair is what users pay; a second pair shows
// the part that is per window rather than one-time (fonts, styles, the platform plugin's buffers).
#include "platform/sim/SimDesktop.h"
#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/OfflineCardActions.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>

namespace quillora {
namespace {

// Resident set size in KiB, from the second field of /proc/self/statm (pages).
double residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2) {
        return 0;
    }
    return fields.at(1).toDouble() * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

struct PanelPair
{
    explicit PanelPair(const ResultActions& actions)
        : results(std::make_unique<FloatingResultsWindow>(actions))
    {
    }
    std::unique_ptr<FloatingIconWindow> icon = std::make_unique<FloatingIconWindow>();
    std::unique_ptr<FloatingResultsWindow> results;
};

// Makes a pair, shows both with four cards, runs their animations to the end and lets them paint.
PanelPair makeAndShowPair(SimDesktop& desktop)
{
    static test::OfflineCardActions cardActions(desktop);
    PanelPair pair(cardActions.actions);
    pair.icon->showAt(QPointF(400, 400));
    pair.results->showAt(QPointF(400, 400));
    QList<PolishedResult> results;
    for (const char* name : {"Professional", "Casual", "Fix Grammar", "Concise"}) {
        results.append(
            PolishedResult(QString::fromLatin1(name),
                           QStringLiteral("A polished variation of the selected text, two lines or so long."), 7));
    }
    pair.results->setContent(results, false, std::nullopt);
    desktop.clock().advance(1);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return pair;
}

void BM_PanelMemory(benchmark::State& state)
{
    SimDesktop desktop;
    Platform::setCurrent(&desktop);
    double first = 0;
    double second = 0;
    for (auto _ : state) {
        const double before = residentKiB();
        const PanelPair firstPair = makeAndShowPair(desktop);
        const double afterFirst = residentKiB();
        const PanelPair secondPair = makeAndShowPair(desktop);
        const double afterSecond = residentKiB();
        first = afterFirst - before;
        second = afterSecond - afterFirst;
    }
    if (first <= 0 && second <= 0) {
        state.SkipWithError("the resident set size could not be read");
    }
    state.counters["first_pair_KiB"] = first;
    state.counters["second_pair_KiB"] = second;
    Platform::setCurrent(nullptr);
}
// One iteration: the first pair's one-time costs can only be measured once per process.
BENCHMARK(BM_PanelMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace quillora

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
