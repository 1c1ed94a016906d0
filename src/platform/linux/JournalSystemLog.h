#pragma once

#include "platform/SystemLog.h"

namespace quillora {

/**
 * The system log on Linux: the systemd journal, with the subsystem and category as the fields
 * QUILLORA_SUBSYSTEM and QUILLORA_CATEGORY and the subsystem as syslog identifier. When no journal
 * is running the entries are dropped.
 */
class JournalSystemLog final : public SystemLog
{
public:
    [[nodiscard]] bool isEnabled(const QString& subsystem, const QString& category, LogLevel level) const override;
    void write(const QString& subsystem, const QString& category, LogLevel level, const QString& message) override;
};

} // namespace quillora
