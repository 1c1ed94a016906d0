#pragma once

#include "cli/CtlInvocation.h"

#include <QString>

#include <memory>
#include <optional>

class QIODevice;
class QTextStream;

namespace quillora {

class BackendClient;
class HistoryManager;
class PresetManager;
class UpdateManager;

/**
 * What one command runs with: the standard streams, and the application's stores and backend
 * client on the current platform, each made on first use.
 */
class CtlContext final
{
public:
    /** `backendOrigin` overrides the configured origin when given. */
    CtlContext(QTextStream& out, QTextStream& err, QIODevice& input, std::optional<QString> backendOrigin,
               CtlTerminals terminals = {});
    ~CtlContext();
    CtlContext(const CtlContext&) = delete;
    CtlContext& operator=(const CtlContext&) = delete;

    QTextStream& out() { return m_out; }
    QTextStream& err() { return m_err; }
    QIODevice& input() { return m_input; }

    /** Received `text` as it may go to `out`: without control characters when `out` is a terminal. */
    [[nodiscard]] QString outText(const QString& text) const;
    /** The same for `err`. */
    [[nodiscard]] QString errText(const QString& text) const;

    /**
     * The backend client; using it marks the command as one that talked to the backend. Throws
     * `CtlUsageError` when the origin is refused (not https, and not plain http on this machine).
     */
    BackendClient& backend();

    /** The preset list; made on first use, which starts loading the backend's list. */
    PresetManager& presets();

    HistoryManager& history();

    /** True once the command used the backend client. */
    [[nodiscard]] bool usedBackend() const { return m_usedBackend; }

    /** Writes "New Version Available: v…" and the download address to `err` when an update is due. */
    void printDueUpdateNotice();

private:
    QTextStream& m_out;
    QTextStream& m_err;
    QIODevice& m_input;
    CtlTerminals m_terminals;
    QString m_origin;
    bool m_usedBackend = false;
    // Declared in dependency order: the presets use the client, which reports to the updates.
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<BackendClient> m_backend;
    std::unique_ptr<PresetManager> m_presets;
    std::unique_ptr<HistoryManager> m_history;
};

} // namespace quillora
