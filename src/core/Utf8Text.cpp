#include "core/Utf8Text.h"

#include <QByteArray>
#include <QStringDecoder>

namespace quillora {

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    // Stateless, so that a sequence cut off at the end counts as an error instead of being kept back.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace quillora
