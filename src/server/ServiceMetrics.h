#pragma once

#include "server/http/GuardedConnection.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <array>
#include <utility>

namespace quillora {

/**
 * The service's counters, rendered in the Prometheus text format for "GET /metrics": requests by
 * route and status, request latency and engine time as histograms, open connections and
 * refused connections by reason, and the time database jobs waited for a connection. Lives on the
 * main thread.
 */
class ServiceMetrics final
{
public:
    /** One answered request of `route` ("polish", "presets", ...). Never fails. */
    void recordRequest(const QString& route, int status, double seconds);

    /** Time an engine spent on one preset (or, with an empty preset, on one whole polishing). */
    void recordEngine(const QString& engine, const QString& preset, double seconds);

    /** Time one database job waited for a free connection. */
    void recordDatabaseWait(double seconds);

    /** A connection refused or cut off. */
    void recordRefusal(ConnectionRefusal reason);

    /** The exposition text, with the gauges given here. Never fails. */
    [[nodiscard]] QByteArray render(int openConnections, bool databaseUp) const;

private:
    static constexpr std::array<double, 12> kBuckets = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30};

    struct Histogram
    {
        std::array<quint64, kBuckets.size()> counts{};
        quint64 total = 0;
        double sum = 0;

        void observe(double seconds);
        void render(QByteArray& out, const QByteArray& name, const QByteArray& labels) const;
    };

    QMap<std::pair<QString, int>, quint64> m_requests;
    QMap<QString, Histogram> m_latency;
    QMap<std::pair<QString, QString>, Histogram> m_engine;
    QMap<ConnectionRefusal, quint64> m_refusals;
    Histogram m_databaseWait;
};

} // namespace quillora
