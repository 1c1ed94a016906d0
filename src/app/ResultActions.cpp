#include "app/ResultActions.h"

#include "app/BackendClient.h"
#include "app/PolishedResult.h"
#include "capture/PasteboardExtension.h"
#include "core/Detached.h"
#include "platform/Pasteboard.h"

namespace quillora {

namespace {

// Counts itself in `inFlight` while it runs; the counter outlives the actions that made it.
QCoro::Task<> reportInteraction(QCoro::Task<> report, std::shared_ptr<int> inFlight)
{
    ++*inFlight;
    co_await std::move(report);
    --*inFlight;
}

} // namespace

ResultActions::ResultActions(BackendClient& backend, Pasteboard& pasteboard)
    : m_backend(backend)
    , m_pasteboard(pasteboard)
{
}

bool ResultActions::copy(const PolishedResult& result) const
{
    report(result, QStringLiteral("copy"));
    return capture::setString(m_pasteboard, result.content);
}

void ResultActions::use(const PolishedResult& result, const std::function<void(const QString&)>& select) const
{
    report(result, QStringLiteral("use"));
    if (select) {
        select(result.content);
    }
}

void ResultActions::report(const PolishedResult& result, const QString& action) const
{
    if (result.logId) {
        runDetached(
            reportInteraction(m_backend.logInteraction(*result.logId, action, result.presetName), m_reportsInFlight));
    }
}

} // namespace quillora
