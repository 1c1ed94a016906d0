#include "app/BackendPolishingResponse.h"

#include "core/JsonCoding.h"

namespace quillora {

namespace {

// A required key read through the optional accessors, with the missing and null cases told apart
// the way the strict reader tells them apart for its own required keys.
QJsonValue requiredValue(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined()) {
        throw JsonDecodingError(JsonDecodingError::Kind::keyNotFound, key, QStringLiteral("missing key"));
    }
    if (value.isNull()) {
        throw JsonDecodingError(JsonDecodingError::Kind::valueNotFound, key,
                                QStringLiteral("null in place of a value"));
    }
    return value;
}

} // namespace

BackendPolishingResponse BackendPolishingResponse::decode(const QByteArray& body)
{
    const QJsonValue root = JsonCoding::parse(body);
    const JsonCoding::Reader reader(root, QString());
    const QJsonObject object = root.toObject();

    BackendPolishingResponse response;
    response.logId = reader.optionalInteger(QStringLiteral("log_id"));

    const QJsonValue results = requiredValue(object, QStringLiteral("results"));
    if (!results.isObject()) {
        throw JsonDecodingError(JsonDecodingError::Kind::typeMismatch, QStringLiteral("results"),
                                QStringLiteral("expected an object"));
    }
    const QJsonObject map = results.toObject();
    for (auto it = map.begin(); it != map.end(); ++it) {
        if (!it.value().isString()) {
            throw JsonDecodingError(JsonDecodingError::Kind::typeMismatch,
                                    JsonCoding::keyPath(QStringLiteral("results"), it.key()),
                                    QStringLiteral("expected a string"));
        }
        response.results.append({it.key(), it.value().toString()});
    }

    response.model = reader.string(QStringLiteral("model"));
    requiredValue(object, QStringLiteral("duration"));
    response.duration = *reader.optionalDouble(QStringLiteral("duration"));
    return response;
}

BackendError BackendError::decode(const QByteArray& body)
{
    const JsonCoding::Reader reader(JsonCoding::parse(body), QString());
    return BackendError{reader.string(QStringLiteral("error"))};
}

} // namespace quillora
