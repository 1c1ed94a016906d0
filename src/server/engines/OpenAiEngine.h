#pragma once

#include "server/ServerOptions.h"
#include "server/engines/RewriteEngine.h"
#include "server/engines/UpstreamClient.h"

#include <QHash>

#include <memory>

namespace quillora {

class Clock;
class ServiceLog;

/**
 * Rewrites through an OpenAI-compatible chat-completions endpoint: one request per preset, all in
 * parallel. The system message frames the task around the preset's instruction; the user message
 * holds the text between markers chosen for it, as data. The answer is cleaned of the chatter
 * models add, and one longer than a variation may be fails. All requests of one polishing share a
 * time budget; those still running when it runs out are cancelled. A preset whose request failed
 * is left out of the results with the upstream's reason.
 */
class OpenAiEngine final : public RewriteEngine
{
public:
    /**
     * `budgetSeconds` is measured on `clock`; each upstream answer is logged to `log`. Up to
     * `concurrentRequests` requests can be on their way upstream at once.
     */
    OpenAiEngine(OpenAiSettings settings, Clock& clock, double budgetSeconds, int concurrentRequests, ServiceLog& log);
    /** Cancels the requests still running; the polishings waiting for them finish without them. */
    ~OpenAiEngine() override;

    /** The configured model name. */
    [[nodiscard]] QString model() const override;

    QCoro::Task<RewriteOutcome> rewrite(QString text, QList<PresetText> presets) override;

    /**
     * The rewritten text inside a model's `answer` to a request for `original`: without an
     * introducing line ("Sure! Here is..."), a code fence, quotation marks wrapped around it (unless
     * the original had them), the text `markers`, control characters, and trailing comments after
     * a blank line. Empty when nothing is left, which the caller treats as a failure.
     */
    [[nodiscard]] static QString cleanAnswer(const QString& answer, const QString& original,
                                             const QStringList& markers = {});

private:
    /**
     * Sends `userMessage`, the quoted user message holding a text of `textLength` characters, with
     * `preset`; the system message is the quoted `opening` followed by the preset's part.
     */
    [[nodiscard]] std::shared_ptr<UpstreamClient::Call> post(const QByteArray& opening, const QByteArray& userMessage,
                                                             qsizetype textLength, const PresetText& preset);
    /** The quoted part of the system message that follows the opening, for `instruction`. */
    const QByteArray& systemMessage(const QString& instruction);

    OpenAiSettings m_settings;
    Clock& m_clock;
    double m_budgetSeconds;
    ServiceLog& m_log;
    std::unique_ptr<UpstreamClient> m_network;
    QUrl m_endpoint;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_quotedModel;
    QHash<QString, QByteArray> m_systemMessages;
};

} // namespace quillora
