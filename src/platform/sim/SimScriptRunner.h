#pragma once

#include "platform/ScriptRunner.h"

#include <QStringList>

#include <functional>
#include <mutex>

namespace quillora {

/**
 * The simulated desktop's script interface. It plays "System Events" for the alert volume (the
 * mute-and-report, read and set scripts) and hands every other script to a handler that tests
 * install; without one such scripts succeed with no result. Safe to use from any thread: scripts
 * run on the worker threads of their callers, and the handler runs there too.
 */
class SimScriptRunner final : public ScriptRunner
{
public:
    /**
     * Answers one script, given its source; none leaves it to the built-in behaviour. May block,
     * as a slow script would.
     */
    using Handler = std::function<std::optional<ScriptResult>(const QString& source)>;

    [[nodiscard]] bool isAvailable() const override;
    [[nodiscard]] std::unique_ptr<Script> createScript(const QString& source) override;

    // Control surface for tests and demos.

    /** Installs the handler (an empty one removes it). */
    void setHandler(Handler handler);

    /** With false no script can be made, as on a desktop without a script interface. */
    void setScriptsCanBeMade(bool canBeMade);

    /** The simulated system alert volume, 0 to 100; 75 at first. */
    [[nodiscard]] int alertVolume() const;
    void setAlertVolume(int volume);

    /** The sources of every script run so far, in order. */
    [[nodiscard]] QStringList executedSources() const;

private:
    ScriptResult run(const QString& source);
    ScriptResult runSystemEvents(const QString& source);

    mutable std::mutex m_mutex;
    Handler m_handler;
    bool m_canBeMade = true;
    int m_alertVolume = 75;
    QStringList m_executed;
};

} // namespace quillora
