#include "server/OpenAiEngine.h"

#include "core/Clock.h"
#include "server/ServiceLog.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <qcoro/qcoronetworkreply.h>

#include <vector>

namespace quillora {

namespace {

struct Answer
{
    QString text;
    QString model;
    QString failure;
};

QString upstreamMessage(const QByteArray& body)
{
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QJsonValue error = object.value(QLatin1String("error"));
    if (error.isObject() && error.toObject().value(QLatin1String("message")).isString()) {
        return error.toObject().value(QLatin1String("message")).toString();
    }
    if (error.isString()) {
        return error.toString();
    }
    return QString::fromUtf8(body.left(200)).simplified();
}

Answer readAnswer(QNetworkReply& reply, bool budgetSpent, double budgetSeconds)
{
    if (budgetSpent && reply.error() == QNetworkReply::OperationCanceledError) {
        return {{}, {}, QStringLiteral("no answer within %1 s").arg(budgetSeconds)};
    }
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply.readAll();
    if (status == 0) {
        return {{}, {}, reply.errorString()};
    }
    if (status != 200) {
        const QString message = upstreamMessage(body);
        return {{},
                {},
                message.isEmpty() ? QStringLiteral("HTTP %1").arg(status)
                                  : QStringLiteral("HTTP %1: %2").arg(status).arg(message)};
    }
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QJsonValue content = object.value(QLatin1String("choices"))
                                   .toArray()
                                   .at(0)
                                   .toObject()
                                   .value(QLatin1String("message"))
                                   .toObject()
                                   .value(QLatin1String("content"));
    const QString text = content.toString().trimmed();
    if (!content.isString() || text.isEmpty()) {
        return {{}, {}, QStringLiteral("the answer held no message content")};
    }
    return {text, object.value(QLatin1String("model")).toString(), {}};
}

} // namespace

OpenAiEngine::OpenAiEngine(OpenAiSettings settings, Clock& clock, double budgetSeconds, ServiceLog& log)
    : m_settings(std::move(settings))
    , m_clock(clock)
    , m_budgetSeconds(budgetSeconds)
    , m_log(log)
    , m_network(std::make_unique<QNetworkAccessManager>())
{
}

OpenAiEngine::~OpenAiEngine()
{
    // Polishings still waiting for an answer end now, as failures, rather than never.
    for (QNetworkReply* reply : m_network->findChildren<QNetworkReply*>()) {
        if (reply->isRunning()) {
            reply->abort();
        }
    }
}

QString OpenAiEngine::model() const
{
    return m_settings.model;
}

QNetworkReply* OpenAiEngine::post(const QString& text, const PresetText& preset)
{
    QUrl url = m_settings.baseUrl;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    url.setPath(path + QStringLiteral("/chat/completions"));
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    if (!m_settings.apiKey.isEmpty()) {
        request.setRawHeader("Authorization", "Bearer " + m_settings.apiKey.toUtf8());
    }
    const QJsonObject body{
        {QStringLiteral("model"), m_settings.model},
        {QStringLiteral("messages"),
         QJsonArray{QJsonObject{{QStringLiteral("role"), QStringLiteral("system")},
                                {QStringLiteral("content"), preset.instruction}},
                    QJsonObject{{QStringLiteral("role"), QStringLiteral("user")}, {QStringLiteral("content"), text}}}},
    };
    QNetworkReply* reply = m_network->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QElapsedTimer timer;
    timer.start();
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, timer, name = preset.name] {
        m_log.upstream(name, reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                       static_cast<double>(timer.nsecsElapsed()) / 1e6);
    });
    return reply;
}

QCoro::Task<RewriteOutcome> OpenAiEngine::rewrite(QString text, QList<PresetText> presets)
{
    RewriteOutcome outcome;
    outcome.model = m_settings.model;
    std::vector<QPointer<QNetworkReply>> replies;
    for (const PresetText& preset : presets) {
        replies.emplace_back(post(text, preset));
    }
    auto budgetSpent = std::make_shared<bool>(false);
    const Timer budget = m_clock.schedule(m_budgetSeconds, [replies, budgetSpent] {
        *budgetSpent = true;
        for (const QPointer<QNetworkReply>& reply : replies) {
            if (reply && reply->isRunning()) {
                reply->abort();
            }
        }
    });
    for (size_t i = 0; i < replies.size(); ++i) {
        QNetworkReply* reply = replies[i];
        if (reply == nullptr) {
            outcome.failures.append(QStringLiteral("%1: the request was lost").arg(presets.at(i).name));
            continue;
        }
        if (reply->isRunning()) {
            co_await reply;
        }
        const Answer answer = readAnswer(*reply, *budgetSpent, m_budgetSeconds);
        reply->deleteLater();
        if (!answer.failure.isEmpty()) {
            outcome.failures.append(QStringLiteral("%1: %2").arg(presets.at(i).name, answer.failure));
            continue;
        }
        outcome.results.append({presets.at(i).name, answer.text});
        if (!answer.model.isEmpty()) {
            outcome.model = answer.model;
        }
    }
    budget.invalidate();
    co_return outcome;
}

} // namespace quillora
