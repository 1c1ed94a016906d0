#include "app/BackendPolishingResponse.h"

#include "core/JsonCoding.h"
#include "core/PolishLimits.h"

#include <QJsonArray>

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

BackendPolishingResponse BackendPolishingResponse::decode(const QByteArray& body, std::optional<qsizetype> textLength)
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
        QString variation = it.value().toString();
        // A variation past the bound is the service's failure: kept, it would cost the panel and
        // the history a layout of its whole length on every showing.
        if (textLength && (variation.size() > PolishLimits::variationBound(*textLength) &&
                           PolishLimits::characters(variation) > PolishLimits::variationBound(*textLength))) {
            response.tooLong.append(it.key());
            continue;
        }
        response.results.append({it.key(), std::move(variation)});
    }

    response.model = reader.string(QStringLiteral("model"));
    requiredValue(object, QStringLiteral("duration"));
    response.duration = *reader.optionalDouble(QStringLiteral("duration"));

    // Optional keys of newer services; a value of another type is read as absent, never as a failure.
    response.followsInstructions = object.value(QStringLiteral("follows_instructions")).toBool(true);
    for (const QJsonValue& name : object.value(QStringLiteral("corrections_only")).toArray()) {
        if (name.isString()) {
            response.correctionsOnly.append(name.toString());
        }
    }
    if (const QJsonValue note = object.value(QStringLiteral("note")); note.isString() && !note.toString().isEmpty()) {
        response.note = note.toString();
    }
    return response;
}

BackendError BackendError::decode(const QByteArray& body)
{
    const JsonCoding::Reader reader(JsonCoding::parse(body), QString());
    return BackendError{reader.string(QStringLiteral("error"))};
}

} // namespace quillora
