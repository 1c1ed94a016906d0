#pragma once

#include <QString>

namespace quillora {

enum class LogLevel { Info, Error };

/** The system log: entries tagged with a subsystem and a category, at the info or error level. */
class SystemLog
{
public:
    SystemLog() = default;
    SystemLog(const SystemLog&) = delete;
    SystemLog& operator=(const SystemLog&) = delete;
    virtual ~SystemLog() = default;

    /** True when entries of `level` are kept for this subsystem and category. */
    [[nodiscard]] virtual bool isEnabled(const QString& subsystem, const QString& category, LogLevel level) const = 0;

    /** Writes one entry. Never fails towards the caller; an entry the system refuses is dropped. */
    virtual void write(const QString& subsystem, const QString& category, LogLevel level, const QString& message) = 0;
};

} // namespace quillora
