#pragma once

#include "platform/SystemLog.h"

namespace quillora {

/**
 * The system log on Linux: the systemd journal, with the subsystem and category as the fields
 * QUILLORA_SUBSYSTEM and QUILLORA_CATEGORY and the subsystem as syslog identifier, at every level.
 * When no journal is running, each error entry is one line on standard error; entries of the info
 * level join them only with QUILLORA_DEBUG_LOG=1 at construction.
 */
class JournalSystemLog final : public SystemLog
{
public:
    /**
     * Writes to the journal listening on `journalSocket`. Where there is none (a session without
     * systemd, a container), the journal library would drop every entry without a word, so they
     * go to standard error instead, where a desktop program's messages are looked for then.
     */
    explicit JournalSystemLog(const QString& journalSocket = QStringLiteral("/run/systemd/journal/socket"));

    [[nodiscard]] bool isEnabled(const QString& subsystem, const QString& category, LogLevel level) const override;
    void write(const QString& subsystem, const QString& category, LogLevel level, const QString& message) override;

private:
    bool m_hasJournal;
    bool m_debug;
};

} // namespace quillora
