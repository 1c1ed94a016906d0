#pragma once

#include "platform/SystemLog.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <mutex>

namespace quillora {

/** A system log that keeps every entry in memory for tests to read. Safe to write from any thread. */
class SimSystemLog final : public SystemLog
{
public:
    struct Entry
    {
        QString subsystem;
        QString category;
        LogLevel level;
        QString message;
    };

    [[nodiscard]] bool isEnabled(const QString& subsystem, const QString& category, LogLevel level) const override;
    void write(const QString& subsystem, const QString& category, LogLevel level, const QString& message) override;

    /** A copy of every entry so far, in order. */
    [[nodiscard]] QList<Entry> entries() const;

    /** The messages only, in order. */
    [[nodiscard]] QStringList messages() const;

    void setInfoEnabled(bool enabled) { m_infoEnabled = enabled; }
    void clear();

private:
    mutable std::mutex m_mutex;
    QList<Entry> m_entries;
    std::atomic<bool> m_infoEnabled = true;
};

} // namespace quillora
