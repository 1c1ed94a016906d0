#include "server/http/ApiResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillora {

ApiResponse ApiResponse::json(int status, const QJsonValue& value)
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    return {status, document.toJson(QJsonDocument::Compact), {}, {}};
}

ApiResponse ApiResponse::error(int status, const QString& message)
{
    return json(status, QJsonObject{{QStringLiteral("error"), message}});
}

ApiResponse ApiResponse::noContent()
{
    return {204, {}, {}, {}};
}

} // namespace quillora
