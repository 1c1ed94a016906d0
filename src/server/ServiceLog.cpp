#include "server/ServiceLog.h"

#include "core/Clock.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstdio>

namespace quillora {

ServiceLog::ServiceLog(Clock& clock, Sink sink)
    : m_clock(clock)
    , m_sink(std::move(sink))
{
}

ServiceLog::Sink ServiceLog::standardError()
{
    return [](const QByteArray& line) {
        const QByteArray withBreak = line + '\n';
        std::fwrite(withBreak.constData(), 1, static_cast<size_t>(withBreak.size()), stderr);
        std::fflush(stderr);
    };
}

void ServiceLog::request(const QByteArray& method, const QString& path, int status, double durationMs, qint64 bytes)
{
    if (!m_sink) {
        return;
    }
    const QJsonObject line{
        {QStringLiteral("time"), m_clock.wallNow().toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("method"), QString::fromLatin1(method)},
        {QStringLiteral("path"), path},
        {QStringLiteral("status"), status},
        {QStringLiteral("duration_ms"), std::round(durationMs * 1000.0) / 1000.0},
        {QStringLiteral("bytes"), bytes},
    };
    m_sink(QJsonDocument(line).toJson(QJsonDocument::Compact));
}

void ServiceLog::upstream(const QString& preset, int status, double durationMs)
{
    if (m_upstreamObserver) {
        m_upstreamObserver(preset, durationMs);
    }
    if (!m_sink) {
        return;
    }
    const QJsonObject line{
        {QStringLiteral("time"), m_clock.wallNow().toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("upstream"), preset},
        {QStringLiteral("status"), status},
        {QStringLiteral("duration_ms"), std::round(durationMs * 1000.0) / 1000.0},
    };
    m_sink(QJsonDocument(line).toJson(QJsonDocument::Compact));
}

void ServiceLog::error(const QString& message)
{
    if (!m_sink) {
        return;
    }
    const QJsonObject line{
        {QStringLiteral("time"), m_clock.wallNow().toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("level"), QStringLiteral("error")},
        {QStringLiteral("message"), message},
    };
    m_sink(QJsonDocument(line).toJson(QJsonDocument::Compact));
}

} // namespace quillora
