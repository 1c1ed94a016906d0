// What one selection check costs beyond its fixed 150 ms wait: a drag in a simulated editor, the
// release handler, the wait on the virtual clock (free), the toolkit's reads, the trimming and
// counting of the text, and showing the icon. Once with the accessibility read succeeding, once
// with the editor answering white space so that the shortcut copy (muted alert volume, copy
// shortcut, pasteboard poll and restore) supplies the text. The clock is moved past every wait,
// so the times are the work alone; "virtual_ms" is the simulated time a check took.
#include "app/AIPolishingService.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/IconPanel.h"
#include "app/PanelFactory.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/ResultsPanel.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "capture/SelectedTextManager.h"
#include "platform/sim/SimDesktop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace quillora {
namespace {

class NullIconPanel final : public IconPanel
{
public:
    void showAt(QPointF at) override
    {
        m_visible = true;
        m_frame = QRectF(at.x() + 20, at.y() - 5, 64, 64);
    }
    void hidePanel() override { m_visible = false; }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return m_visible ? 1 : 0; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

private:
    bool m_visible = false;
    QRectF m_frame;
};

class NullResultsPanel final : public ResultsPanel
{
public:
    void showAt(QPointF) override {}
    void setContent(const QList<PolishedResult>&, bool, std::optional<QString>) override {}
    void hidePanel() override {}
    [[nodiscard]] bool isOnScreen() const override { return false; }
    [[nodiscard]] double alphaValue() const override { return 0; }
    [[nodiscard]] QRectF frame() const override { return {}; }
};

class NullPanelFactory final : public PanelFactory
{
public:
    std::unique_ptr<IconPanel> createIconPanel() override { return std::make_unique<NullIconPanel>(); }
    std::unique_ptr<ResultsPanel> createResultsPanel() override { return std::make_unique<NullResultsPanel>(); }
};

// The toolkit's script threads hand their answers back through the event loop.
void ensureApplication()
{
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "app_bench";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
}

// A tracking tracker over an editor whose whole text (of `length` characters) is selected.
class TrackedEditor
{
public:
    explicit TrackedEditor(qsizetype length, bool accessibilityAnswersWhiteSpace)
    {
        ensureApplication();
        Platform::setCurrent(&m_desktop);
        const QString text = QStringLiteral("Polish me, please. ").repeated(length / 19 + 1).left(length);
        m_editor =
            &m_desktop.addApp(SimAppSetup{QStringLiteral("Editor"), std::nullopt, text, AXRange{0, length}, true});
        if (accessibilityAnswersWhiteSpace) {
            m_editor->setSelectedTextAnswer(SimSelectedTextAnswer::WhiteSpace);
        }
        // No polishing happens here: a client whose origin is refused never touches the network.
        m_updates = std::make_unique<UpdateManager>(m_desktop.userDefaults(), QStringLiteral("1.0.0"));
        m_client = std::make_unique<BackendClient>(QStringLiteral("http://backend.invalid"), *m_updates);
        m_paste = std::make_unique<PasteService>(m_desktop.pasteboard(), m_desktop.clock());
        m_presets = std::make_unique<PresetManager>(*m_client);
        m_history = std::make_unique<HistoryManager>();
        m_tracker = std::make_unique<SelectionTracker>(SelectionTracker::Services{
            m_panels, SelectedTextManager::shared(), *m_history, *m_paste, AIPolishingService(*m_client, *m_presets)});
        m_tracker->startTracking();
    }

    ~TrackedEditor()
    {
        m_tracker.reset();
        m_history.reset();
        m_presets.reset();
        m_client.reset();
        Platform::setCurrent(nullptr);
    }

    /** One gesture and its whole check; returns the virtual seconds it took, or -1 without an icon. */
    double check()
    {
        SimClock& clock = m_desktop.clock();
        const double start = clock.monotonicNow();
        m_desktop.mouseMonitor().drag({100, 500}, {400, 500});
        clock.advance(SelectionTracker::selectionDelay);
        while (m_tracker->isCheckingSelection()) {
            // Wait (blocked, not spinning) up to a millisecond for a script thread's answer, then
            // move on to the next 5 ms poll of the pasteboard.
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
            clock.advance(0.005);
        }
        const double took = clock.monotonicNow() - start;
        const bool shown = m_tracker->floatingWindow()->isOnScreen();
        // A single click elsewhere hides the icon for the next round.
        m_desktop.mouseMonitor().click({900, 900});
        return shown ? took : -1;
    }

private:
    SimDesktop m_desktop;
    NullPanelFactory m_panels;
    SimApp* m_editor = nullptr;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_client;
    std::unique_ptr<PasteService> m_paste;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    std::unique_ptr<SelectionTracker> m_tracker;
};

void runChecks(benchmark::State& state, bool shortcut)
{
    TrackedEditor editor(state.range(0), shortcut);
    double virtualSeconds = 0;
    for (auto _ : state) {
        virtualSeconds = editor.check();
        if (virtualSeconds < 0) {
            state.SkipWithError("no icon appeared");
            break;
        }
    }
    state.counters["virtual_ms"] = virtualSeconds * 1000;
}

void BM_SelectionCheckAccessibility(benchmark::State& state)
{
    runChecks(state, false);
}
BENCHMARK(BM_SelectionCheckAccessibility)->Arg(100)->Arg(10'000)->Unit(benchmark::kMicrosecond);

void BM_SelectionCheckShortcutFallback(benchmark::State& state)
{
    runChecks(state, true);
}
BENCHMARK(BM_SelectionCheckShortcutFallback)->Arg(100)->Arg(10'000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace quillora
