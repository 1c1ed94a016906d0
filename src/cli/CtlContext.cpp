#include "cli/CtlContext.h"

#include "app/AppInfo.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/PresetManager.h"
#include "app/UpdateManager.h"
#include "cli/CtlUsageError.h"
#include "cli/TerminalText.h"
#include "core/ErrorRecord.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QTextStream>

namespace quillora {

CtlContext::CtlContext(QTextStream& out, QTextStream& err, QIODevice& input, std::optional<QString> backendOrigin,
                       CtlTerminals terminals)
    : m_out(out)
    , m_err(err)
    , m_input(input)
    , m_terminals(terminals)
    , m_origin(backendOrigin.value_or(BackendClient::configuredOrigin()))
    , m_updates(std::make_unique<UpdateManager>(Platform::current().userDefaults(), AppInfo::version()))
{
}

CtlContext::~CtlContext() = default;

QString CtlContext::outText(const QString& text) const
{
    return m_terminals.out ? TerminalText::safe(text) : text;
}

QString CtlContext::errText(const QString& text) const
{
    return m_terminals.err ? TerminalText::safe(text) : text;
}

BackendClient& CtlContext::backend()
{
    if (!m_backend) {
        m_backend = std::make_unique<BackendClient>(m_origin, *m_updates);
    }
    if (const auto refusal = m_backend->originError()) {
        throw CtlUsageError(refusal->localizedDescription());
    }
    m_usedBackend = true;
    return *m_backend;
}

PresetManager& CtlContext::presets()
{
    if (!m_presets) {
        m_presets = std::make_unique<PresetManager>(backend());
    }
    return *m_presets;
}

HistoryManager& CtlContext::history()
{
    if (!m_history) {
        m_history = std::make_unique<HistoryManager>();
    }
    return *m_history;
}

void CtlContext::printDueUpdateNotice()
{
    // Announcements reach the manager through its event queue; deliver them before asking.
    QCoreApplication::sendPostedEvents(m_updates.get(), QEvent::MetaCall);
    if (!m_updates->shouldShowBanner()) {
        return;
    }
    m_err << "New Version Available: v" << *m_updates->latestVersion();
    if (const auto& url = m_updates->updateURL()) {
        m_err << " (" << url->toString() << ')';
    }
    m_err << Qt::endl;
}

} // namespace quillora
