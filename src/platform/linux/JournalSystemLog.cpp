#include "platform/linux/JournalSystemLog.h"

#include <syslog.h>
#include <systemd/sd-journal.h>

#include <QFileInfo>

#include <cstdio>

namespace quillora {

JournalSystemLog::JournalSystemLog(const QString& journalSocket)
    : m_hasJournal(QFileInfo(journalSocket).exists())
    , m_debug(qEnvironmentVariable("QUILLORA_DEBUG_LOG") == QLatin1String("1"))
{
}

bool JournalSystemLog::isEnabled(const QString&, const QString&, LogLevel level) const
{
    // The journal keeps every entry; a terminal only what someone must act on, unless asked.
    return m_hasJournal || m_debug || level == LogLevel::Error;
}

void JournalSystemLog::write(const QString& subsystem, const QString& category, LogLevel level, const QString& message)
{
    const QByteArray text = message.toUtf8();
    const QByteArray sub = subsystem.toUtf8();
    const QByteArray cat = category.toUtf8();
    const int priority = level == LogLevel::Error ? LOG_ERR : LOG_INFO;
    if (!m_hasJournal) {
        if (!isEnabled(subsystem, category, level)) {
            return;
        }
        std::fprintf(stderr, "%s [%s] %s\n", sub.constData(), cat.constData(), text.constData());
        return;
    }
    sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority, "SYSLOG_IDENTIFIER=%s", sub.constData(),
                    "QUILLORA_SUBSYSTEM=%s", sub.constData(), "QUILLORA_CATEGORY=%s", cat.constData(), nullptr);
}

} // namespace quillora
