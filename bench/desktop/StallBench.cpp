// How long the window thread's event loop can be kept from running on a real X11 desktop. A 5 ms
// ticker runs on the window thread; its largest gap is the longest stall. Measured three ways in a
// GTK 3 editor: while the whole loop runs (select, icon, click, results, "Use" pastes the
// variation); when "Use" is clicked after the editor was stopped with SIGSTOP (the panel must still
// answer and say so); and while the user selects in the stopped editor, where every accessibility
// call to it would run out its time. The tracker and the real floating windows run in this process
// with the Linux platform; the reference service (rules engine) runs in the private desktop session.
// The driver's pointer runs in xdotool processes that this thread starts and then waits for with
// its event loop running, and its waits never sleep, so the ticker sees only what the code under
// measurement does; the driver's reads of the editor's text are short accessibility calls and count.
#include "BenchDesktop.h"

#include "app/IconPanel.h"
#include "app/SelectionTracker.h"
#include "platform/Platform.h"
#include "platform/linux/atspi/LinuxAccessibility.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

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

// Runs the event loop until `condition` holds or `timeoutMs` pass. Unlike the tests' wait, the
// thread never sleeps, so waiting adds no gap of its own to what the ticker measures.
bool until(const std::function<bool()>& condition, int timeoutMs)
{
    bool met = condition();
    if (met) {
        return true;
    }
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer elapsed;
    elapsed.start();
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        met = condition();
        if (met || elapsed.elapsed() >= timeoutMs) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    return met;
}

void settle(int ms)
{
    until([] { return false; }, ms);
}

// Runs one xdotool command line in its own process; this thread's event loop runs until it ends.
// Its pointer moves do not wait to be seen ("--sync" never returns when the pointer is already
// there): the X server handles the synthetic events in the order they were sent.
void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(g_session->environment());
    process.start(QStringLiteral("xdotool"), arguments);
    until([&] { return process.state() == QProcess::NotRunning; }, 5000);
}

void moveTo(QPoint point)
{
    xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
}

void click(QPoint point)
{
    xdotool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}

// Presses at `from`, moves to `to` in steps as a hand does, and releases there.
void drag(QPoint from, QPoint to)
{
    xdotool(test::DesktopDriver::dragArguments(from, to));
}

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

// Whether the results panel is on screen with a line that contains `words`.
bool panelSays(const QString& words)
{
    QWidget* panel = visibleTopLevel("quillora::FloatingResultsWindow");
    if (panel == nullptr) {
        return false;
    }
    const QList<QLabel*> labels = panel->findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(),
                       [&](const QLabel* label) { return label->isVisible() && label->text().contains(words); });
}

// Puts the editor's text back for the next round.
void resetText(test::DesktopDriver& driver, const AXElementRef& text, const QString& original)
{
    (void)driver.accessibility().setAttributeValue(text, QStringLiteral("AXValue"), AXAny(original));
    until([&] { return driver.text(text) == original; }, 2000);
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
    std::vector<double> useStalls;
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
        // Selects the range, clicks the icon once the pointer rests on it and waits until the
        // first "Use" has come to rest in the panel; null with the reason given to `state`.
        const auto openPanel = [&]() -> QAbstractButton* {
            drag(from, to);
            if (!until([&] { return icon.isVisible(); }, 5000)) {
                state.SkipWithError("no icon appeared");
                return nullptr;
            }
            // As a person's pointer does, it comes to rest on the placed icon before the click.
            settle(300);
            const QPoint iconCentre = globalCentre(icon);
            moveTo(iconCentre);
            settle(700);
            click(iconCentre);
            QAbstractButton* use = nullptr;
            if (!until([&] { return (use = firstUseButton()) != nullptr; }, 15000)) {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (widget->isVisible()) {
                        std::printf("shown: %s\n", widget->metaObject()->className());
                    }
                }
                state.SkipWithError("no variation came back");
                return nullptr;
            }
            // The cards slide in: the button is pressed once it has come to rest.
            QPoint centre = globalCentre(*use);
            until(
                [&] {
                    const QPoint now = globalCentre(*use);
                    const bool resting = now == centre;
                    centre = now;
                    return resting;
                },
                3000);
            settle(300);
            moveTo(globalCentre(*use));
            settle(300);
            return use;
        };
        for (auto _ : state) {
            // The whole loop in a responsive editor.
            resetText(driver, text, original);
            click(away);
            settle(500);
            ticker.reset();
            QAbstractButton* use = openPanel();
            if (use == nullptr) {
                break;
            }
            click(globalCentre(*use));
            if (!until([&] { return driver.text(text) != original; }, 5000)) {
                state.SkipWithError("\"Use\" did not replace the selection");
                break;
            }
            loopStalls.push_back(ticker.longestMs());
            std::printf("round %zu: longest stall while the loop ran %.1f ms\n", loopStalls.size(), loopStalls.back());

            // "Use" after the editor stopped answering while the panel was open: the panel says so.
            resetText(driver, text, original);
            click(away);
            settle(500);
            use = openPanel();
            if (use == nullptr) {
                break;
            }
            ::kill(pid_t(editorPid), SIGSTOP);
            ticker.reset();
            click(globalCentre(*use));
            const bool told = until([] { return panelSays(QStringLiteral("does not answer")); }, 5000);
            useStalls.push_back(ticker.longestMs());
            ::kill(pid_t(editorPid), SIGCONT);
            std::printf("round %zu: longest stall using a variation with the editor stopped %.1f ms\n",
                        useStalls.size(), useStalls.back());
            if (!told) {
                state.SkipWithError("the panel did not say that the editor does not answer");
                break;
            }

            // A selection in an editor that no longer answers.
            resetText(driver, text, original);
            click(away);
            settle(500);
            ::kill(pid_t(editorPid), SIGSTOP);
            ticker.reset();
            drag(from, to);
            settle(3000);
            frozenStalls.push_back(ticker.longestMs());
            std::printf("round %zu: longest stall selecting with the editor stopped %.1f ms\n", frozenStalls.size(),
                        frozenStalls.back());
            ::kill(pid_t(editorPid), SIGCONT);
            state.SetIterationTime(std::max({loopStalls.back(), useStalls.back(), frozenStalls.back()}) / 1000);
        }
        tracker.stopTracking();
    }
    const auto longest = [&state](const char* name, const std::vector<double>& stalls) {
        if (!stalls.empty()) {
            state.counters[name] = *std::max_element(stalls.begin(), stalls.end());
        }
    };
    longest("loop_longest_stall_ms", loopStalls);
    longest("frozen_use_longest_stall_ms", useStalls);
    longest("frozen_select_longest_stall_ms", frozenStalls);
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
    return server != nullptr && until(
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
