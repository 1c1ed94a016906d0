#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimAppDataFolder.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimKeyEventSink.h"
#include "platform/sim/SimSystemLog.h"
#include "platform/sim/SimUserDefaults.h"
#include "platform/sim/SimWorkspace.h"

#include <QTemporaryDir>

namespace quillora {

/**
 * The simulated desktop: a complete, deterministic platform backend with a control surface for
 * tests and demos. Its clock is virtual; its app-data folder is a fresh temporary folder.
 */
class SimDesktop final : public Platform
{
public:
    SimDesktop();
    ~SimDesktop() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("sim"); }
    SimClock& clock() override { return m_clock; }
    SimUserDefaults& userDefaults() override { return m_userDefaults; }
    SimAppDataFolder& appDataFolder() override { return m_appDataFolder; }
    SimSystemLog& systemLog() override { return m_systemLog; }
    SimKeyEventSink& keyEventSink() override { return m_keyEventSink; }
    SimWorkspace& workspace() override { return m_workspace; }

private:
    QTemporaryDir m_dataDir;
    SimClock m_clock;
    SimUserDefaults m_userDefaults;
    SimAppDataFolder m_appDataFolder;
    SimSystemLog m_systemLog;
    SimKeyEventSink m_keyEventSink;
    SimWorkspace m_workspace;
};

} // namespace quillora
