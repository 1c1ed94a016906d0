#include "platform/sim/SimDesktop.h"

namespace quillora {

SimDesktop::SimDesktop()
    : m_appDataFolder(m_dataDir.path())
    , m_accessibility(m_workspace)
{
    m_keyEventSink.setListener([this](const PostedKeyEvent& event) {
        const std::optional<RunningApplication> front = m_workspace.frontmostApplication();
        const qint64 target = event.targetPid.value_or(front ? front->pid : -1);
        for (const auto& app : m_apps) {
            if (app->pid() == target) {
                app->handleKeyEvent(event);
            }
        }
    });
}

SimDesktop::~SimDesktop()
{
    if (Platform::hasCurrent() && &Platform::current() == this) {
        Platform::setCurrent(nullptr);
    }
}

SimApp& SimDesktop::addApp(const SimAppSetup& spec)
{
    // Process ids of simulated apps start well above the small ones tests pick by hand.
    const qint64 pid = 1000 + static_cast<qint64>(m_apps.size());
    m_apps.push_back(
        std::make_unique<SimApp>(spec, pid, SimApp::Services{m_workspace, m_accessibility, m_pasteboard, m_clock}));
    return *m_apps.back();
}

QList<SimApp*> SimDesktop::apps() const
{
    QList<SimApp*> result;
    for (const auto& app : m_apps) {
        result.append(app.get());
    }
    return result;
}

} // namespace quillora
