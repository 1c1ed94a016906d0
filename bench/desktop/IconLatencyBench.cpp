// How fast the icon follows a selection on a real X11 desktop: the time from the left button's
// release to the icon being shown, less the tracker's fixed 150 ms wait, and the accessibility calls
// one selection check makes. A private desktop (Xvfb, openbox, session bus, AT-SPI bus) with the GTK 3
// and the Qt 6 editor fixtures; the tracker runs in this process with the Linux platform and the real
// floating windows. Drags are real input (XTest through xdotool), one every 0.8 s.
#include "BenchDesktop.h"

#include "app/IconPanel.h"
#include "app/SelectionTracker.h"
#include "platform/MouseMonitor.h"
#include "platform/Platform.h"
#include "platform/linux/atspi/LinuxAccessibility.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

using namespace quillora;

namespace {

const QString kBefore = QStringLiteral("Measure ");
const QString kSelection = QStringLiteral("how quickly the icon follows a selection");
const QString kAfter = QStringLiteral(" here.");

test::DesktopSession* g_session = nullptr;

// Records when the icon window is shown.
class ShowWatcher final : public QObject
{
public:
    qint64 shownAt = -1;
    QElapsedTimer* clock = nullptr;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            shownAt = clock->nsecsElapsed();
        }
        return QObject::eventFilter(object, event);
    }
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = std::size_t(fraction * double(values.size() - 1) + 0.5);
    return values.at(std::min(index, values.size() - 1));
}

void iconLatency(benchmark::State& state, const QString& program, const QStringList& arguments)
{
    test::DesktopDriver driver(*g_session);
    QString whyNot;
    const std::optional<bench::BenchEditor> editor =
        bench::openEditor(*g_session, driver, program, arguments, AXRange{kBefore.size(), kSelection.size()}, &whyNot);
    if (!editor) {
        state.SkipWithError(qPrintable(whyNot));
        return;
    }
    const QRect range = editor->range;
    {
        bench::TrackerRig rig(QStringLiteral("http://127.0.0.1:9"));
        Platform& platform = rig.platform();
        SelectionTracker& tracker = rig.tracker();
        tracker.startTracking();
        QElapsedTimer clock;
        clock.start();
        ShowWatcher watcher;
        watcher.clock = &clock;
        dynamic_cast<QWidget&>(tracker.iconPanel()).installEventFilter(&watcher);
        // Installed after the tracker's, this monitor runs right after it for the same release.
        qint64 releasedAt = -1;
        quint64 callsAtRelease = 0;
        const std::optional<MouseMonitorHandle> release =
            platform.mouseMonitor().addGlobalMonitor(MouseEventType::leftMouseUp, [&](const MouseEvent&) {
                releasedAt = clock.nsecsElapsed();
                callsAtRelease = LinuxAccessibility::callCount();
            });
        const QPoint from(range.left() + 1, range.center().y());
        const QPoint to(range.right() - 1, range.center().y());
        const QPoint away(range.right() + 80, range.bottom() + 80);
        std::vector<double> beyondWait;
        std::vector<double> calls;
        for (auto _ : state) {
            driver.click(away);
            test::waitFor([] { return false; }, 700);
            watcher.shownAt = -1;
            releasedAt = -1;
            driver.drag(from, to);
            if (!test::waitFor([&] { return watcher.shownAt >= 0; }, 3000) || releasedAt < 0) {
                state.SkipWithError("no icon appeared");
                break;
            }
            const double seconds = double(watcher.shownAt - releasedAt) / 1e9;
            state.SetIterationTime(seconds);
            beyondWait.push_back((seconds - SelectionTracker::selectionDelay) * 1000);
            calls.push_back(double(LinuxAccessibility::callCount() - callsAtRelease));
        }
        if (release) {
            platform.mouseMonitor().removeMonitor(*release);
        }
        if (!beyondWait.empty()) {
            state.counters["p50_beyond_150ms_ms"] = percentile(beyondWait, 0.5);
            state.counters["p95_beyond_150ms_ms"] = percentile(beyondWait, 0.95);
            state.counters["ax_calls_per_check"] = percentile(calls, 0.5);
        }
        tracker.stopTracking();
    }
    editor->process->terminate();
    editor->process->waitForFinished(3000);
}

} // namespace

int main(int argc, char** argv)
{
    return bench::runInDesktopSession(argc, argv, [](test::DesktopSession& session) {
        g_session = &session;
        const QString text = kBefore + kSelection + kAfter;
        benchmark::RegisterBenchmark("IconLatency/Gtk3", iconLatency, QStringLiteral("/usr/bin/python3"),
                                     QStringList{QStringLiteral(QUILLORA_FIXTURES "/gtk_editor.py"), text})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(40);
        benchmark::RegisterBenchmark("IconLatency/Qt6", iconLatency, QStringLiteral(QUILLORA_QT_EDITOR),
                                     QStringList{text})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(40);
        return true;
    });
}
