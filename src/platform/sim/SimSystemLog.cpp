#include "platform/sim/SimSystemLog.h"

namespace quillora {

bool SimSystemLog::isEnabled(const QString&, const QString&, LogLevel level) const
{
    return level == LogLevel::Error || m_infoEnabled;
}

void SimSystemLog::write(const QString& subsystem, const QString& category, LogLevel level, const QString& message)
{
    m_entries.append(Entry{subsystem, category, level, message});
}

QStringList SimSystemLog::messages() const
{
    QStringList result;
    for (const Entry& entry : m_entries) {
        result << entry.message;
    }
    return result;
}

} // namespace quillora
