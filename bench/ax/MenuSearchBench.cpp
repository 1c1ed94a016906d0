// Accessibility round trips needed to find the Copy item of a large menu bar. On a real desktop
// every round trip is an inter-process call, so the count, not the time, is what matters here.
#include "ax/Application.h"
#include "capture/AXManager.h"
#include "capture/MenuItemSearch.h"
#include "platform/sim/SimDesktop.h"

#include <benchmark/benchmark.h>

namespace quillora {
namespace {

constexpr qint64 kPid = 90;
constexpr int kMenus = 10;
constexpr int kItemsPerMenu = 30;
constexpr int kEditMenu = 3;
// Undo, Redo, separator, Cut, then Copy: where editors usually put it.
constexpr int kCopyPosition = 4;

// A desktop whose frontmost application has a menu bar of ten menus with thirty items each. Every
// item has an identifier; every third item has a shortcut character (never "C").
class MenuDesktop
{
public:
    MenuDesktop()
    {
        Platform::setCurrent(&m_desktop);
        m_desktop.workspace().addApplication({kPid, QStringLiteral("com.example.bench"), QStringLiteral("Bench")});
        m_desktop.workspace().setFrontmost(kPid);
        const SimElement bar = m_desktop.accessibility().addApplication(kPid).child(QStringLiteral("AXMenuBar"));
        for (int m = 0; m < kMenus; ++m) {
            const SimElement menu =
                bar.child(QStringLiteral("AXMenuBarItem"), {{"AXTitle", QStringLiteral("Menu %1").arg(m)}})
                    .child(QStringLiteral("AXMenu"));
            for (int i = 0; i < kItemsPerMenu; ++i) {
                const bool isCopy = m == kEditMenu && i == kCopyPosition;
                const SimElement item = menu.child(
                    QStringLiteral("AXMenuItem"),
                    {{"AXTitle", isCopy ? QStringLiteral("Copy") : QStringLiteral("Item %1.%2").arg(m).arg(i)},
                     {"AXIdentifier", isCopy ? QStringLiteral("copy:") : QStringLiteral("item-%1-%2:").arg(m).arg(i)},
                     {"AXEnabled", true}});
                if (i % 3 == 0 && !isCopy) {
                    item.set(QStringLiteral("AXMenuItemCmdChar"), QString(QChar(u'D' + (i / 3) % 20)));
                }
            }
        }
        m_bar = UIElement(bar.ref());
    }
    ~MenuDesktop() { Platform::setCurrent(nullptr); }

    SimAccessibility& ax() { return m_desktop.accessibility(); }
    const UIElement& bar() const { return *m_bar; }
    void clearLog() { m_desktop.systemLog().clear(); }

private:
    SimDesktop m_desktop;
    std::optional<UIElement> m_bar;
};

template <typename Search> void countRoundTrips(benchmark::State& state, Search search)
{
    MenuDesktop desktop;
    int roundTrips = 0;
    for (auto _ : state) {
        desktop.ax().resetCallCounts();
        desktop.clearLog();
        benchmark::DoNotOptimize(search(desktop));
        roundTrips = desktop.ax().totalCalls();
    }
    state.counters["round_trips"] = roundTrips;
}

void BM_FindCopyEditMenuFirst(benchmark::State& state)
{
    countRoundTrips(state, [](MenuDesktop&) {
        return capture::findCopyMenuItem(UIElement(Platform::current().accessibility().createApplication(kPid)));
    });
}

void BM_FindCopyWholeBar(benchmark::State& state)
{
    countRoundTrips(state, [](MenuDesktop& desktop) {
        return capture::deepFirst(desktop.bar(), [](const UIElement& element) {
            return capture::findMenuItemInElement(element, SystemMenuItem::copy);
        });
    });
}

// The manager's whole path: trust check, frontmost application, search and the enabled state.
void BM_FindEnabledCopyThroughManager(benchmark::State& state)
{
    AXManager manager;
    countRoundTrips(state, [&](MenuDesktop&) { return manager.findEnabledMenuItem(SystemMenuItem::copy); });
}

BENCHMARK(BM_FindCopyEditMenuFirst);
BENCHMARK(BM_FindCopyWholeBar);
BENCHMARK(BM_FindEnabledCopyThroughManager);

} // namespace
} // namespace quillora

BENCHMARK_MAIN();
