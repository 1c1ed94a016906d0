// How fast the icon follows a selection on a real X11 desktop: the time from the left button's
// release to the icon being shown, less the tracker's fixed 150 ms wait, and the accessibility calls
// one selection check makes. A private desktop (Xvfb, openbox, session bus, AT-SPI bus) with the GTK 3
// and the Qt 6 editor fixtures; the tracker runs in this process with the Linux platform and the real
// floating windows. Drags are real input (XTest through xdotool), one every 0.8 s.
#include "DesktopDriver.h"
#include "DesktopSession.h"

#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/IconPanel.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/ResultActions.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "capture/SelectedTextManager.h"
#include "platform/MouseMonitor.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"
#include "platform/linux/atspi/LinuxAccessibility.h"
#include "ui/WidgetPanelFactory.h"

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
    QProcess* editor = g_session->launch(program, arguments);
    const std::optional<quint64> window =
        editor ? driver.waitForWindow(editor->processId(), QString(), 30000) : std::nullopt;
    if (!window || !test::waitFor([&] { return driver.activate(*window); }, 5000)) {
        state.SkipWithError("the editor did not start");
        return;
    }
    const std::optional<AXElementRef> text = driver.waitForElement(
        editor->processId(), [](const QString& role, const QString&) { return role == QLatin1String("AXTextArea"); },
        20000);
    const std::optional<QRect> range =
        text ? driver.rangeFrame(*text, AXRange{kBefore.size(), kSelection.size()}) : std::nullopt;
    if (!range) {
        state.SkipWithError("the editor's text is not exposed");
        return;
    }

    const std::unique_ptr<Platform> platform = createPlatform(QStringLiteral("linux"));
    Platform::setCurrent(platform.get());
    UpdateManager updates(platform->userDefaults(), AppInfo::version());
    BackendClient client(QStringLiteral("http://127.0.0.1:9"), updates);
    PresetManager presets(client);
    HistoryManager history;
    const ResultActions actions(client, platform->pasteboard());
    PasteService paste(platform->pasteboard(), platform->clock());
    WidgetPanelFactory panels(actions);
    {
        SelectionTracker tracker(
            {panels, SelectedTextManager::shared(), history, paste, AIPolishingService(client, presets)});
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
            platform->mouseMonitor().addGlobalMonitor(MouseEventType::leftMouseUp, [&](const MouseEvent&) {
                releasedAt = clock.nsecsElapsed();
                callsAtRelease = LinuxAccessibility::callCount();
            });
        const QPoint from(range->left() + 1, range->center().y());
        const QPoint to(range->right() - 1, range->center().y());
        const QPoint away(range->right() + 80, range->bottom() + 80);
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
            platform->mouseMonitor().removeMonitor(*release);
        }
        if (!beyondWait.empty()) {
            state.counters["p50_beyond_150ms_ms"] = percentile(beyondWait, 0.5);
            state.counters["p95_beyond_150ms_ms"] = percentile(beyondWait, 0.95);
            state.counters["ax_calls_per_check"] = percentile(calls, 0.5);
        }
        tracker.stopTracking();
    }
    Platform::setCurrent(nullptr);
    editor->terminate();
    editor->waitForFinished(3000);
}

} // namespace

int main(int argc, char** argv)
{
    QString whyNot;
    std::unique_ptr<test::DesktopSession> session = test::DesktopSession::start(&whyNot);
    if (!session) {
        std::printf("no X server can be started here (%s)\n", qPrintable(whyNot));
        return 1;
    }
    g_session = session.get();
    int status = 0;
    {
        QApplication app(argc, argv);
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
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    g_session = nullptr;
    session.reset();
    return status;
}
