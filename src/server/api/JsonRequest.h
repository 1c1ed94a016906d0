#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace quillora {

/** Reads request bodies; every failure is an `ApiError` with status 400 naming the problem. */
class JsonRequest final
{
public:
    /** The body as a JSON object. Throws `ApiError` (400) when it is not JSON or not an object. */
    [[nodiscard]] static QJsonObject object(const QByteArray& body);

    /** The object under `key`. Throws `ApiError` (400) when it is missing or not an object. */
    [[nodiscard]] static QJsonObject object(const QJsonObject& parent, const QString& key);

    /** The text under `key`. Throws `ApiError` (400) when it is missing or not a string. */
    [[nodiscard]] static QString string(const QJsonObject& object, const QString& key);
};

} // namespace quillora
