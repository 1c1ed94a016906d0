#include "app/JsonDecodingError.h"

#include "platform/ErrorRecord.h"

namespace quillora {

namespace {

bool isMissing(JsonDecodingError::Kind kind)
{
    return kind == JsonDecodingError::Kind::KeyNotFound || kind == JsonDecodingError::Kind::ValueNotFound;
}

QString kindName(JsonDecodingError::Kind kind)
{
    switch (kind) {
    case JsonDecodingError::Kind::DataCorrupted:
        return QStringLiteral("dataCorrupted");
    case JsonDecodingError::Kind::KeyNotFound:
        return QStringLiteral("keyNotFound");
    case JsonDecodingError::Kind::ValueNotFound:
        return QStringLiteral("valueNotFound");
    case JsonDecodingError::Kind::TypeMismatch:
        return QStringLiteral("typeMismatch");
    }
    return {};
}

} // namespace

JsonDecodingError::JsonDecodingError(Kind kind, QString codingPath, QString detail)
    : m_kind(kind)
    , m_codingPath(std::move(codingPath))
    , m_detail(std::move(detail))
{
}

QString JsonDecodingError::localizedDescription() const
{
    return isMissing(m_kind) ? QStringLiteral("The data couldn’t be read because it is missing.")
                             : QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");
}

ErrorRecord JsonDecodingError::toRecord() const
{
    return ErrorRecord(QStringLiteral("NSCocoaErrorDomain"), isMissing(m_kind) ? 4865 : 4864,
                       {{kLocalizedDescriptionKey, localizedDescription()},
                        {QStringLiteral("NSDebugDescription"), m_detail},
                        {QStringLiteral("NSCodingPath"), m_codingPath}});
}

QString JsonDecodingError::debugDescription() const
{
    return QStringLiteral("JsonDecodingError.%1(path: \"%2\", detail: \"%3\")")
        .arg(kindName(m_kind), m_codingPath, m_detail);
}

ErrorPtr JsonDecodingError::clone() const
{
    return std::make_shared<JsonDecodingError>(*this);
}

} // namespace quillora
