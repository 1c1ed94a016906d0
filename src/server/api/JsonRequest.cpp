#include "server/api/JsonRequest.h"

#include "server/api/ApiError.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace quillora {

QJsonObject JsonRequest::object(const QByteArray& body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        throw ApiError(400, QStringLiteral("The request body is not valid JSON: %1 at offset %2.")
                                .arg(error.errorString())
                                .arg(error.offset));
    }
    if (!document.isObject()) {
        throw ApiError(400, QStringLiteral("The request body must be a JSON object."));
    }
    return document.object();
}

QJsonObject JsonRequest::object(const QJsonObject& parent, const QString& key)
{
    const QJsonValue value = parent.value(key);
    if (!value.isObject()) {
        throw ApiError(400, QStringLiteral("\"%1\" must be an object.").arg(key));
    }
    return value.toObject();
}

QString JsonRequest::string(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString()) {
        throw ApiError(400, QStringLiteral("\"%1\" must be a string.").arg(key));
    }
    return value.toString();
}

} // namespace quillora
