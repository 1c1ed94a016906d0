// How long the window thread's event loop can be kept from running on a real X11 desktop. A 5 ms
// ticker runs on the window thread; its largest gap is the longest stall. Measured twice in a GTK 3
// editor: while the whole loop runs (select, icon, click, results, "Use" pastes the variation), and
// while the editor is stopped with SIGSTOP and the user selects in it, so that every accessibility
// call to it runs out its time. The tracker and the real floating windows run in this process with
// the Linux platform; the reference service (rules engine) runs in the private desktop session.
// The driver's own calls (xdotool, its accessibility reads) run on the same thread and count too.
#include "BenchDesktop.h"

#include "app/IconPanel.h"
#include "app/SelectionTracker.h"
#include "platform/Platform.h"
#include "platform/linux/atspi/LinuxAccessibility.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

using namespace quillora;

namespace {

const QString kBefore = QStringLiteral("Stalls are measured ");
const QString kSelection = QStringLiteral("while this sentence are polished");
const QString kAfter = QStringLiteral(" here.");

test::DesktopSession* g_session = nullptr;
quint16 g_port = 0;

// Ticks every 5 ms on the window thread and keeps the largest gap between two ticks.
class StallTicker final
{
public:
    StallTicker()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
            m_sinceTick.restart();
        });
        reset();
        m_timer.start();
    }

    void reset()
    {
        m_sinceTick.start();
        m_longestNs = 0;
    }

    [[nodiscard]] double longestMs() const { return double(m_longestNs) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestNs = 0;
};

QWidget* visibleTopLevel(const char* className)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->inherits(className)) {
            return widget;
        }
    }
    return nullptr;
}

QAbstractButton* firstUseButton()
{
    QWidget* panel = visibleTopLevel("quillora::FloatingResultsWindow");
    if (panel == nullptr) {
        return nullptr;
    }
    for (QAbstractButton* button : panel->findChildren<QAbstractButton*>()) {
        if (button->isVisible() && button->isEnabled() && button->text() == QLatin1String("Use")) {
            return button;
        }
    }
    return nullptr;
}

// Puts the editor's text back for the next round.
void resetText(test::DesktopDriver& driver, const AXElementRef& text, const QString& original)
{
    (void)driver.accessibility().setAttributeValue(text, QStringLiteral("AXValue"), AXAny(original));
    test::waitFor([&] { return driver.text(text) == original; }, 2000);
}

QPoint globalCentre(const QWidget& widget)
{
    return widget.mapToGlobal(widget.rect().center());
}

void stalls(benchmark::State& state)
{
    test::DesktopDriver driver(*g_session);
    const QString original = kBefore + kSelection + kAfter;
    QString whyNot;
    const std::optional<bench::BenchEditor> editor =
        bench::openEditor(*g_session, driver, QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(QUILLORA_FIXTURES "/gtk_editor.py"), original},
                          AXRange{kBefore.size(), kSelection.size()}, &whyNot);
    if (!editor) {
        state.SkipWithError(qPrintable(whyNot));
        return;
    }
    const qint64 editorPid = editor->process->processId();
    const AXElementRef& text = editor->text;
    const QRect range = editor->range;
    std::vector<double> loopStalls;
    std::vector<double> frozenStalls;
    {
        bench::TrackerRig rig(QStringLiteral("http://127.0.0.1:%1").arg(g_port));
        SelectionTracker& tracker = rig.tracker();
        tracker.startTracking();
        auto& icon = dynamic_cast<QWidget&>(tracker.iconPanel());
        const QPoint from(range.left() + 1, range.center().y());
        const QPoint to(range.right() - 1, range.center().y());
        const QPoint away(range.right() + 80, range.bottom() + 80);
        StallTicker ticker;
        for (auto _ : state) {
            // The whole loop in a responsive editor.
            resetText(driver, text, original);
            driver.click(away);
            test::waitFor([] { return false; }, 500);
            ticker.reset();
            driver.drag(from, to);
            if (!test::waitFor([&] { return icon.isVisible(); }, 5000)) {
                state.SkipWithError("no icon appeared");
                break;
            }
            // As a person's pointer does, it comes to rest on the icon before the click.
            const QPoint iconCentre = globalCentre(icon);
            driver.moveTo(iconCentre);
            test::waitFor([] { return false; }, 700);
            driver.click(iconCentre);
            QAbstractButton* use = nullptr;
            if (!test::waitFor([&] { return (use = firstUseButton()) != nullptr; }, 15000)) {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (widget->isVisible()) {
                        std::printf("shown: %s\n", widget->metaObject()->className());
                    }
                }
                state.SkipWithError("no variation came back");
                break;
            }
            // The cards slide in: the button is pressed once it has come to rest.
            QPoint useCentre = globalCentre(*use);
            test::waitFor(
                [&] {
                    const QPoint now = globalCentre(*use);
                    const bool resting = now == useCentre;
                    useCentre = now;
                    return resting;
                },
                3000);
            test::waitFor([] { return false; }, 300);
            useCentre = globalCentre(*use);
            driver.moveTo(useCentre);
            test::waitFor([] { return false; }, 300);
            driver.click(useCentre);
            if (!test::waitFor([&] { return driver.text(text) != original; }, 5000)) {
                state.SkipWithError("\"Use\" did not replace the selection");
                break;
            }
            loopStalls.push_back(ticker.longestMs());
            std::printf("round %zu: longest stall while the loop ran %.1f ms\n", loopStalls.size(), loopStalls.back());

            // The same selection in an editor that no longer answers.
            resetText(driver, text, original);
            driver.click(away);
            test::waitFor([] { return false; }, 500);
            ::kill(pid_t(editorPid), SIGSTOP);
            ticker.reset();
            driver.drag(from, to);
            test::waitFor([] { return false; }, 3000);
            frozenStalls.push_back(ticker.longestMs());
            std::printf("round %zu: longest stall with the editor stopped %.1f ms\n", frozenStalls.size(),
                        frozenStalls.back());
            ::kill(pid_t(editorPid), SIGCONT);
            state.SetIterationTime(std::max(loopStalls.back(), frozenStalls.back()) / 1000);
        }
        tracker.stopTracking();
    }
    if (!loopStalls.empty()) {
        state.counters["loop_longest_stall_ms"] = *std::max_element(loopStalls.begin(), loopStalls.end());
        state.counters["frozen_longest_stall_ms"] = *std::max_element(frozenStalls.begin(), frozenStalls.end());
    }
    editor->process->terminate();
    editor->process->waitForFinished(3000);
}

bool startService()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    g_port = probe.serverPort();
    probe.close();
    QProcess* server = g_session->launch(QStringLiteral(QUILLORA_SERVER_PROGRAM),
                                         {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(g_port),
                                          QStringLiteral("--engine"), QStringLiteral("rules"), QStringLiteral("--mode"),
                                          QStringLiteral("local")});
    return server != nullptr && test::waitFor(
                                    [] {
                                        QTcpSocket socket;
                                        socket.connectToHost(QHostAddress::LocalHost, g_port);
                                        return socket.waitForConnected(100);
                                    },
                                    60000);
}

} // namespace

int main(int argc, char** argv)
{
    return bench::runInDesktopSession(argc, argv, [](test::DesktopSession& session) {
        g_session = &session;
        if (!startService()) {
            std::printf("the reference service did not start\n");
            return false;
        }
        benchmark::RegisterBenchmark("WindowThreadStall/Gtk3", stalls)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        return true;
    });
}
