#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace quillora {

class Clock;

/**
 * The service's structured log: one JSON object per line, by default on standard error. Each
 * answered request gives one line with "time", "method", "path", "status", "duration_ms" and
 * "bytes" (the response body's size); each answer of an upstream model gives a line with
 * "upstream" (the preset), "status" and "duration_ms"; a server-side failure gives a line with
 * "level" "error" and a "message".
 */
class ServiceLog final
{
public:
    /** Receives each complete line, without the line break. */
    using Sink = std::function<void(const QByteArray& line)>;

    /** Logs to `sink`; a null sink discards everything. Times come from `clock`. */
    ServiceLog(Clock& clock, Sink sink);

    /** A sink that writes each line to standard error at once. */
    [[nodiscard]] static Sink standardError();

    /** Logs one answered request. */
    void request(const QByteArray& method, const QString& path, int status, double durationMs, qint64 bytes);

    /** Logs one answer of the upstream model: the preset, the HTTP status (0 for none), the time taken. */
    void upstream(const QString& preset, int status, double durationMs);

    /** Logs a server-side failure. */
    void error(const QString& message);

    /** Also tells `observer` of every upstream answer (preset, milliseconds), e.g. for metrics. */
    void setUpstreamObserver(std::function<void(const QString& preset, double durationMs)> observer)
    {
        m_upstreamObserver = std::move(observer);
    }

private:
    Clock& m_clock;
    Sink m_sink;
    std::function<void(const QString&, double)> m_upstreamObserver;
};

} // namespace quillora
