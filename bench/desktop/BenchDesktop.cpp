#include "BenchDesktop.h"

#include "app/AppInfo.h"
#include "capture/SelectedTextManager.h"
#include "platform/factory/PlatformFactory.h"

#include <QApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace quillora::bench {

std::optional<BenchEditor> openEditor(test::DesktopSession& session, test::DesktopDriver& driver,
                                      const QString& program, const QStringList& arguments, AXRange range,
                                      QString* whyNot)
{
    QProcess* process = session.launch(program, arguments);
    const std::optional<quint64> window =
        process ? driver.waitForWindow(process->processId(), QString(), 30000) : std::nullopt;
    if (!window || !test::waitFor([&] { return driver.activate(*window); }, 5000)) {
        *whyNot = QStringLiteral("the editor did not start");
        return std::nullopt;
    }
    const std::optional<AXElementRef> text = driver.waitForElement(
        process->processId(), [](const QString& role, const QString&) { return role == QLatin1String("AXTextArea"); },
        20000);
    const std::optional<QRect> frame = text ? driver.rangeFrame(*text, range) : std::nullopt;
    if (!frame) {
        *whyNot = QStringLiteral("the editor's text is not exposed");
        return std::nullopt;
    }
    return BenchEditor{process, *text, *frame};
}

TrackerRig::TrackerRig(const QString& backendUrl)
    : m_platform(createPlatform(QStringLiteral("linux")))
{
    Platform::setCurrent(m_platform.get());
    m_updates = std::make_unique<UpdateManager>(m_platform->userDefaults(), AppInfo::version());
    m_client = std::make_unique<BackendClient>(backendUrl, *m_updates);
    m_presets = std::make_unique<PresetManager>(*m_client);
    m_history = std::make_unique<HistoryManager>();
    m_actions = std::make_unique<ResultActions>(*m_client, m_platform->pasteboard());
    m_paste = std::make_unique<PasteService>(m_platform->pasteboard(), m_platform->clock());
    m_panels = std::make_unique<WidgetPanelFactory>(*m_actions);
    m_tracker = std::make_unique<SelectionTracker>(SelectionTracker::Services{
        *m_panels, SelectedTextManager::shared(), *m_history, *m_paste, AIPolishingService(*m_client, *m_presets)});
}

TrackerRig::~TrackerRig()
{
    m_tracker.reset();
    m_panels.reset();
    m_paste.reset();
    m_actions.reset();
    m_history.reset();
    m_presets.reset();
    m_client.reset();
    m_updates.reset();
    Platform::setCurrent(nullptr);
}

int runInDesktopSession(int argc, char** argv, const std::function<bool(test::DesktopSession&)>& registerBenchmarks)
{
    QString whyNot;
    std::unique_ptr<test::DesktopSession> session = test::DesktopSession::start(&whyNot);
    if (!session) {
        std::printf("no X server can be started here (%s)\n", qPrintable(whyNot));
        return 1;
    }
    QApplication app(argc, argv);
    if (!registerBenchmarks(*session)) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quillora::bench
