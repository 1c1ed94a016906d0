#include "app/LoginResponse.h"

#include "core/JsonCoding.h"

namespace quillora {

LoginResponse LoginResponse::decode(const QByteArray& body)
{
    const JsonCoding::Reader reader(JsonCoding::parse(body), QString());
    return LoginResponse{reader.string(QStringLiteral("access_token")), reader.string(QStringLiteral("refresh_token"))};
}

} // namespace quillora
