// How the pasteboard fetch behaves on the virtual clock: how long after the pasteboard changes the
// fetch returns (the poll looks every 5 ms, so at most one step late), and how many looks a fetch
// takes when nothing ever arrives (the 0.4 s limit). Wall time per fetch is the CPU cost of the
// loop itself, logging included.
#include "capture/PasteboardExtension.h"
#include "capture/PasteboardManager.h"
#include "platform/sim/SimDesktop.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

namespace quillora {
namespace {

class FetchDesktop
{
public:
    FetchDesktop() { Platform::setCurrent(&m_desktop); }
    ~FetchDesktop() { Platform::setCurrent(nullptr); }

    SimDesktop& desktop() { return m_desktop; }

    // Runs one fetch whose trigger makes the pasteboard change `delay` seconds later (never when
    // negative) and returns the seconds from the trigger to the fetch's return.
    double fetch(double delay)
    {
        SimClock& clock = m_desktop.clock();
        SimPasteboard& pasteboard = m_desktop.pasteboard();
        const double start = clock.monotonicNow();
        double returnedAt = -1;
        std::function<void()> trigger = [&] {
            if (delay >= 0) {
                clock.schedule(delay, [&] { capture::setString(pasteboard, QStringLiteral("copied text")); });
            }
        };
        auto run = [&]() -> QCoro::Task<> {
            std::function<void()> copy = trigger;
            auto fetch = m_manager.fetchPasteboardText(RestorePasteboard::Yes, 0, std::move(copy));
            co_await std::move(fetch);
            returnedAt = clock.monotonicNow();
        };
        auto task = run();
        clock.advance(1);
        m_desktop.systemLog().clear();
        return returnedAt - start;
    }

private:
    SimDesktop m_desktop;
    PasteboardManager m_manager;
};

void BM_FetchReturnsWithinOnePollStepOfTheChange(benchmark::State& state)
{
    FetchDesktop desktop;
    double worst = 0;
    double total = 0;
    int fetches = 0;
    for (auto _ : state) {
        // Copy delays spread over the whole window, off the 5 ms grid.
        const double delay = std::fmod(fetches * 0.0013, 0.39);
        const double late = desktop.fetch(delay) - delay;
        worst = std::max(worst, late);
        total += late;
        ++fetches;
    }
    state.counters["late_max_ms"] = worst * 1000;
    state.counters["late_mean_ms"] = total / std::max(1, fetches) * 1000;
}
BENCHMARK(BM_FetchReturnsWithinOnePollStepOfTheChange);

void BM_FetchTimesOutAfterEightyLooks(benchmark::State& state)
{
    FetchDesktop desktop;
    int looks = 0;
    double returnedAfter = 0;
    for (auto _ : state) {
        const int readsBefore = desktop.desktop().pasteboard().changeCountReads();
        returnedAfter = desktop.fetch(-1);
        // One read notes the change count before the trigger; every other read is a look.
        looks = desktop.desktop().pasteboard().changeCountReads() - readsBefore - 1;
    }
    state.counters["looks"] = looks;
    state.counters["returned_after_s"] = returnedAfter;
}
BENCHMARK(BM_FetchTimesOutAfterEightyLooks);

} // namespace
} // namespace quillora

BENCHMARK_MAIN();
