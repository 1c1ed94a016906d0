#include "server/ServiceMetrics.h"

namespace quillora {

namespace {

QByteArray refusalName(ConnectionRefusal reason)
{
    switch (reason) {
    case ConnectionRefusal::TooLarge:
        return "too_large";
    case ConnectionRefusal::HeaderTimeout:
        return "header_timeout";
    case ConnectionRefusal::BodyTimeout:
        return "body_timeout";
    case ConnectionRefusal::TooManyConnections:
        return "too_many_connections";
    case ConnectionRefusal::TooManyFromClient:
        return "too_many_from_client";
    case ConnectionRefusal::NoDescriptors:
        return "no_descriptors";
    }
    return "other";
}

// Label values are escaped as the text format asks: backslash, double quote and line feed.
QByteArray label(const QString& value)
{
    QByteArray escaped = value.toUtf8();
    escaped.replace('\\', "\\\\").replace('"', "\\\"").replace('\n', "\\n");
    return escaped;
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 10);
}

} // namespace

void ServiceMetrics::Histogram::observe(double seconds)
{
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        if (seconds <= kBuckets.at(i)) {
            ++counts.at(i);
        }
    }
    ++total;
    sum += seconds;
}

void ServiceMetrics::Histogram::render(QByteArray& out, const QByteArray& name, const QByteArray& labels) const
{
    const QByteArray prefix = labels.isEmpty() ? QByteArray() : labels + ',';
    for (std::size_t i = 0; i < kBuckets.size(); ++i) {
        out += name + "_bucket{" + prefix + "le=\"" + number(kBuckets.at(i)) + "\"} " +
               QByteArray::number(counts.at(i)) + '\n';
    }
    out += name + "_bucket{" + prefix + "le=\"+Inf\"} " + QByteArray::number(total) + '\n';
    const QByteArray braces = labels.isEmpty() ? QByteArray() : '{' + labels + '}';
    out += name + "_sum" + braces + ' ' + number(sum) + '\n';
    out += name + "_count" + braces + ' ' + QByteArray::number(total) + '\n';
}

void ServiceMetrics::recordRequest(const QString& route, int status, double seconds)
{
    ++m_requests[{route, status}];
    m_latency[route].observe(seconds);
}

void ServiceMetrics::recordEngine(const QString& engine, const QString& preset, double seconds)
{
    m_engine[{engine, preset}].observe(seconds);
}

void ServiceMetrics::recordDatabaseWait(double seconds)
{
    m_databaseWait.observe(seconds);
}

void ServiceMetrics::recordRefusal(ConnectionRefusal reason)
{
    ++m_refusals[reason];
}

QByteArray ServiceMetrics::render(int openConnections, bool databaseUp) const
{
    QByteArray out;
    out += "# HELP quillora_requests_total Requests answered, by route and status.\n"
           "# TYPE quillora_requests_total counter\n";
    for (auto it = m_requests.cbegin(); it != m_requests.cend(); ++it) {
        out += "quillora_requests_total{route=\"" + label(it.key().first) + "\",status=\"" +
               QByteArray::number(it.key().second) + "\"} " + QByteArray::number(it.value()) + '\n';
    }
    out += "# HELP quillora_request_duration_seconds Time from a complete request to its answer.\n"
           "# TYPE quillora_request_duration_seconds histogram\n";
    for (auto it = m_latency.cbegin(); it != m_latency.cend(); ++it) {
        it.value().render(out, "quillora_request_duration_seconds", "route=\"" + label(it.key()) + '"');
    }
    out += "# HELP quillora_engine_seconds Time the rewriting engine took, by engine and preset "
           "(an empty preset is a whole polishing).\n"
           "# TYPE quillora_engine_seconds histogram\n";
    for (auto it = m_engine.cbegin(); it != m_engine.cend(); ++it) {
        it.value().render(out, "quillora_engine_seconds",
                          "engine=\"" + label(it.key().first) + "\",preset=\"" + label(it.key().second) + '"');
    }
    out += "# HELP quillora_open_connections Client connections open now.\n"
           "# TYPE quillora_open_connections gauge\n"
           "quillora_open_connections " +
           QByteArray::number(openConnections) + '\n';
    out += "# HELP quillora_refused_connections_total Connections refused or cut off, by reason.\n"
           "# TYPE quillora_refused_connections_total counter\n";
    for (auto it = m_refusals.cbegin(); it != m_refusals.cend(); ++it) {
        out += "quillora_refused_connections_total{reason=\"" + refusalName(it.key()) + "\"} " +
               QByteArray::number(it.value()) + '\n';
    }
    out += "# HELP quillora_database_pool_wait_seconds Time a database job waited for a free connection.\n"
           "# TYPE quillora_database_pool_wait_seconds histogram\n";
    m_databaseWait.render(out, "quillora_database_pool_wait_seconds", {});
    out += "# HELP quillora_database_up Whether the database answered the last check.\n"
           "# TYPE quillora_database_up gauge\n"
           "quillora_database_up " +
           QByteArray(databaseUp ? "1" : "0") + '\n';
    return out;
}

} // namespace quillora
