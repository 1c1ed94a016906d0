#pragma once

#include "platform/SystemLog.h"

#include <QList>
#include <QStringList>

namespace quillora {

/** A system log that keeps every entry in memory for tests to read. */
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

    [[nodiscard]] const QList<Entry>& entries() const { return m_entries; }

    /** The messages only, in order. */
    [[nodiscard]] QStringList messages() const;

    void setInfoEnabled(bool enabled) { m_infoEnabled = enabled; }
    void clear() { m_entries.clear(); }

private:
    QList<Entry> m_entries;
    bool m_infoEnabled = true;
};

} // namespace quillora
