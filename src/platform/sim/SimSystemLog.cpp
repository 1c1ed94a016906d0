#include "platform/sim/SimSystemLog.h"

namespace quillora {

bool SimSystemLog::isEnabled(const QString&, const QString&, LogLevel level) const
{
    return level == LogLevel::Error || m_infoEnabled;
}

void SimSystemLog::write(const QString& subsystem, const QString& category, LogLevel level, const QString& message)
{
    std::lock_guard lock(m_mutex);
    m_entries.append(Entry{subsystem, category, level, message});
}

QList<SimSystemLog::Entry> SimSystemLog::entries() const
{
    std::lock_guard lock(m_mutex);
    return m_entries;
}

void SimSystemLog::clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

QStringList SimSystemLog::messages() const
{
    QStringList result;
    for (const Entry& entry : entries()) {
        result << entry.message;
    }
    return result;
}

} // namespace quillora
