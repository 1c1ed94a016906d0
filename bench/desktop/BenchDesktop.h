#pragma once

#include "DesktopDriver.h"
#include "DesktopSession.h"

#include "app/AIPolishingService.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PresetManager.h"
#include "app/ResultActions.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "platform/Platform.h"
#include "ui/WidgetPanelFactory.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QProcess;

namespace quillora::bench {

/** An editor started in the benchmark's desktop, with its text element and a range of it on screen. */
struct BenchEditor
{
    QProcess* process = nullptr;
    AXElementRef text;
    /** Where the range asked for lies on screen, in pixels. */
    QRect range;
};

/**
 * Starts `program` with `arguments`, brings its window to the front and finds its text element and
 * where `range` of the text lies; none with the reason in `whyNot` when any step fails.
 */
[[nodiscard]] std::optional<BenchEditor> openEditor(test::DesktopSession& session, test::DesktopDriver& driver,
                                                    const QString& program, const QStringList& arguments, AXRange range,
                                                    QString* whyNot);

/**
 * The desktop program's selection loop as its composition root builds it, on the Linux platform,
 * with the service at `backendUrl`: the tracker and everything it works with.
 */
class TrackerRig final
{
public:
    explicit TrackerRig(const QString& backendUrl);
    ~TrackerRig();
    TrackerRig(const TrackerRig&) = delete;
    TrackerRig& operator=(const TrackerRig&) = delete;

    [[nodiscard]] Platform& platform() { return *m_platform; }
    [[nodiscard]] SelectionTracker& tracker() { return *m_tracker; }

private:
    std::unique_ptr<Platform> m_platform;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_client;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
    std::unique_ptr<ResultActions> m_actions;
    std::unique_ptr<PasteService> m_paste;
    std::unique_ptr<WidgetPanelFactory> m_panels;
    std::unique_ptr<SelectionTracker> m_tracker;
};

/**
 * Starts a private desktop session, a QApplication in it, lets `registerBenchmarks` register (and
 * prepare) the benchmarks, and runs them. Returns the program's exit status.
 */
int runInDesktopSession(int argc, char** argv, const std::function<bool(test::DesktopSession&)>& registerBenchmarks);

} // namespace quillora::bench
