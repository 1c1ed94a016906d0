#include "cli/DemoScenario.h"

#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/IconPanel.h"
#include "app/PanelFactory.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/ResultActions.h"
#include "app/ResultsPanel.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "capture/SelectedTextManager.h"
#include "core/ErrorRecord.h"
#include "platform/sim/SimDesktop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace quillora {

namespace {

const QStringList kTokenKeys = {QStringLiteral("backendAccessToken"), QStringLiteral("backendRefreshToken")};

QString point(QPointF p)
{
    return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y());
}

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

/** Prints lines stamped with the virtual time since the scenario began. */
class Printer
{
public:
    Printer(QTextStream& out, const SimClock& clock)
        : m_out(out)
        , m_clock(clock)
        , m_start(clock.monotonicNow())
    {
    }

    /** Counts the time from now on. */
    void restart() { m_start = m_clock.monotonicNow(); }

    void operator()(const QString& line) const
    {
        m_out << QStringLiteral("[%1 s] ").arg(m_clock.monotonicNow() - m_start, 7, 'f', 3) << line << Qt::endl;
    }

private:
    QTextStream& m_out;
    const SimClock& m_clock;
    double m_start;
};

/**
 * Moves the virtual clock. Known waits (the selection delay, the hover, the click, the paste) are
 * passed at once; waits for the network or the toolkit's script threads spin the Qt event loop and
 * the clock together in 1 ms steps of both, so that the printed times follow the real answers.
 */
class Driver
{
public:
    explicit Driver(SimClock& clock)
        : m_clock(clock)
    {
    }

    /** Steps until `condition` holds; false after `limit` seconds of virtual or real time. */
    bool runUntil(const std::function<bool()>& condition, double limit) const
    {
        const double start = m_clock.monotonicNow();
        QElapsedTimer real;
        real.start();
        while (!condition()) {
            if (m_clock.monotonicNow() - start >= limit || real.elapsed() >= qint64(limit * 1000)) {
                return false;
            }
            QEventLoop loop;
            QTimer::singleShot(kStepMs, &loop, &QEventLoop::quit);
            loop.exec();
            m_clock.advance(kStepMs / 1000.0);
        }
        return true;
    }

    /** Lets `seconds` of virtual time pass, running everything that falls due on the way. */
    void runFor(double seconds) const
    {
        QCoreApplication::processEvents();
        m_clock.advance(seconds);
    }

private:
    static constexpr int kStepMs = 1;

    SimClock& m_clock;
};

/** The floating icon as text: arms after 0.4 s of hover, activates 0.15 s after an armed click. */
class DemoIconPanel final : public IconPanel
{
public:
    DemoIconPanel(const Printer& print, SimClock& clock)
        : m_print(print)
        , m_clock(clock)
    {
    }
    ~DemoIconPanel() override { m_activation.invalidate(); }

    void showAt(QPointF at) override
    {
        m_visible = true;
        m_hoverStart.reset();
        m_frame = QRectF(at.x() + 20, at.y() - 5, 64, 64);
        m_print(QStringLiteral("icon shown with its bottom-left corner at %1").arg(point(m_frame.topLeft())));
    }
    void hidePanel() override
    {
        if (m_visible) {
            m_print(QStringLiteral("icon hidden"));
        }
        m_visible = false;
        m_hoverStart.reset();
    }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return m_visible ? 1 : 0; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

    void pointerEnters()
    {
        m_hoverStart = m_clock.monotonicNow();
        m_print(QStringLiteral("pointer rests on the icon: the ring starts to fill"));
        if (m_onHover) {
            m_onHover();
        }
    }

    void press()
    {
        if (!m_hoverStart || m_clock.monotonicNow() - *m_hoverStart < kActivationDelay) {
            m_print(QStringLiteral("click on the icon ignored: not armed yet"));
            return;
        }
        m_print(QStringLiteral("click on the armed icon"));
        m_activation = m_clock.schedule(kClickDelay, [this] {
            if (m_onClick) {
                m_onClick();
            }
            hidePanel();
        });
    }

    static constexpr double kActivationDelay = 0.4;
    static constexpr double kClickDelay = 0.15;

private:
    const Printer& m_print;
    SimClock& m_clock;
    bool m_visible = false;
    QRectF m_frame;
    std::optional<double> m_hoverStart;
    Timer m_activation;
};

/** The results window as text. */
class DemoResultsPanel final : public ResultsPanel
{
public:
    DemoResultsPanel(const Printer& print, const ResultActions& actions)
        : m_print(print)
        , m_actions(actions)
    {
    }

    void showAt(QPointF at) override
    {
        m_visible = true;
        m_frame = QRectF(at.x() + 20, at.y() - 210, 320, 420);
        m_print(QStringLiteral("results panel opened beside the pointer at %1").arg(point(at)));
    }
    void setContent(const QList<PolishedResult>& results, bool isPolishing, std::optional<QString> error) override
    {
        m_results = results;
        if (error) {
            m_print(QStringLiteral("results panel shows the error box: \"Something went wrong\" / ") + *error);
        } else if (isPolishing) {
            m_print(QStringLiteral("results panel shows three pulsing placeholder cards"));
        } else {
            m_print(QStringLiteral("results panel shows %1 card(s):").arg(results.size()));
            for (const PolishedResult& result : results) {
                m_print(QStringLiteral("    %1: %2").arg(result.presetName.toUpper(), quoted(result.content)));
            }
        }
    }
    void hidePanel() override
    {
        if (m_visible) {
            m_print(QStringLiteral("results panel hidden"));
        }
        m_visible = false;
    }
    [[nodiscard]] bool isOnScreen() const override { return m_visible; }
    [[nodiscard]] double alphaValue() const override { return 1; }
    [[nodiscard]] QRectF frame() const override { return m_frame; }

    [[nodiscard]] const QList<PolishedResult>& results() const { return m_results; }

    /** Presses "Use" on the card of `result`, as the real card does; then the panel leaves the screen. */
    void use(const PolishedResult& result)
    {
        m_print(QStringLiteral("\"Use\" pressed on the %1 card").arg(result.presetName));
        m_actions.use(result, m_onSelect);
        hidePanel();
    }

private:
    const Printer& m_print;
    const ResultActions& m_actions;
    bool m_visible = false;
    QRectF m_frame;
    QList<PolishedResult> m_results;
};

class DemoPanelFactory final : public PanelFactory
{
public:
    DemoPanelFactory(const Printer& print, SimClock& clock, const ResultActions& actions)
        : m_print(print)
        , m_clock(clock)
        , m_actions(actions)
    {
    }

    std::unique_ptr<IconPanel> createIconPanel() override
    {
        auto panel = std::make_unique<DemoIconPanel>(m_print, m_clock);
        icon = panel.get();
        return panel;
    }
    std::unique_ptr<ResultsPanel> createResultsPanel() override
    {
        auto panel = std::make_unique<DemoResultsPanel>(m_print, m_actions);
        results = panel.get();
        return panel;
    }

    DemoIconPanel* icon = nullptr;
    DemoResultsPanel* results = nullptr;

private:
    const Printer& m_print;
    SimClock& m_clock;
    const ResultActions& m_actions;
};

QCoro::Task<> markWhenDone(QCoro::Task<PresetOutcome> task, std::shared_ptr<bool> done)
{
    co_await std::move(task);
    *done = true;
}

} // namespace

DemoScenario::DemoScenario(QTextStream& out, Options options)
    : m_out(out)
    , m_options(std::move(options))
{
}

bool DemoScenario::run()
{
    Platform* const previous = Platform::hasCurrent() ? &Platform::current() : nullptr;
    SimDesktop desktop;
    QList<QVariant> lent;
    for (const QString& key : kTokenKeys) {
        lent.append(previous != nullptr ? previous->userDefaults().object(key) : QVariant());
        if (lent.last().isValid()) {
            desktop.userDefaults().set(key, lent.last());
        }
    }
    Platform::setCurrent(&desktop);
    const bool replaced = play(desktop);
    Platform::setCurrent(previous);
    // A refresh during the run replaced the pair (or ended the session): keep what the backend knows.
    for (qsizetype index = 0; previous != nullptr && index < kTokenKeys.size(); ++index) {
        const QVariant now = desktop.userDefaults().object(kTokenKeys[index]);
        if (now == lent[index]) {
            continue;
        }
        if (now.isValid()) {
            previous->userDefaults().set(kTokenKeys[index], now);
        } else {
            previous->userDefaults().remove(kTokenKeys[index]);
        }
    }
    return replaced;
}

bool DemoScenario::play(SimDesktop& desktop)
{
    SimClock& clock = desktop.clock();
    Printer print(m_out, clock);
    const Driver driver(clock);

    UpdateManager updates(desktop.userDefaults(), AppInfo::version());
    BackendClient client(m_options.backendOrigin, updates);
    if (const auto refusal = client.originError()) {
        print(QStringLiteral("backend refused: ") + refusal->localizedDescription());
        return false;
    }
    print(QStringLiteral("backend: ") + client.baseURL());
    PresetManager presets(client);
    const auto loaded = std::make_shared<bool>(false);
    markWhenDone(presets.waitForInitialLoad(), loaded);
    driver.runUntil([&loaded] { return *loaded; }, m_options.networkTimeout);
    QStringList names;
    for (const PolishPreset& preset : presets.presets()) {
        names.append(preset.name);
    }
    print(QStringLiteral("presets: ") + names.join(QStringLiteral(", ")));

    HistoryManager history;
    const ResultActions actions(client, desktop.pasteboard());
    PasteService paste(desktop.pasteboard(), clock);
    DemoPanelFactory panels(print, clock, actions);
    SelectionTracker tracker(
        {panels, SelectedTextManager::shared(), history, paste, AIPolishingService(client, presets)});
    QObject::connect(&tracker, &SelectionTracker::lastCapturedTextChanged, &tracker,
                     [&] { print(QStringLiteral("selection confirmed: ") + quoted(tracker.lastCapturedText())); });

    const QString before = QStringLiteral("Hi Sam, ");
    const QString after = QStringLiteral(" Thanks!");
    SimApp& editor =
        desktop.addApp(SimAppSetup{QStringLiteral("TextEdit"), std::nullopt, before + m_options.selection + after,
                                   AXRange{before.size(), m_options.selection.size()}, true});
    print(QStringLiteral("TextEdit holds ") + quoted(editor.text()));
    tracker.startTracking();
    print(QStringLiteral("tracking started"));

    print.restart();

    const QPointF from(220, 640);
    const QPointF to(520, 640);
    print(QStringLiteral("drag across the selection from %1 to %2").arg(point(from), point(to)));
    desktop.mouseMonitor().drag(from, to);
    driver.runFor(SelectionTracker::selectionDelay);
    if (!driver.runUntil([&] { return !tracker.isCheckingSelection(); }, 5) || !panels.icon->isOnScreen()) {
        print(QStringLiteral("no icon appeared: nothing usable was selected"));
        return false;
    }

    desktop.mouseMonitor().moveTo(panels.icon->frame().center());
    panels.icon->pointerEnters();
    driver.runFor(DemoIconPanel::kActivationDelay);
    print(QStringLiteral("ring full: the icon is armed"));
    panels.icon->press();
    driver.runFor(DemoIconPanel::kClickDelay);
    print(QStringLiteral("waiting for the backend..."));
    if (!driver.runUntil([&] { return !tracker.isPolishing(); }, m_options.networkTimeout)) {
        print(QStringLiteral("the backend did not answer in time"));
        return false;
    }
    if (panels.results->results().isEmpty()) {
        return false;
    }
    print(QStringLiteral("history holds %1 polishing(s)").arg(history.items().size()));

    const PolishedResult chosen = panels.results->results().first();
    panels.results->use(chosen);
    print(QStringLiteral("pasteboard holds ") + quoted(desktop.pasteboard().string().value_or(QString())));
    driver.runFor(PasteService::pasteDelay);
    print((editor.pastes() > 0 ? QStringLiteral("Command+V posted; TextEdit now holds ")
                               : QStringLiteral("no paste arrived; TextEdit still holds ")) +
          quoted(editor.text()));
    // The card reported the use to the backend's interaction log; let that report arrive.
    if (chosen.logId && !driver.runUntil([&] { return actions.reportsInFlight() == 0; }, m_options.networkTimeout)) {
        print(QStringLiteral("the interaction report did not reach the backend in time"));
    }
    tracker.stopTracking();
    return editor.text() == before + chosen.content + after;
}

} // namespace quillora
