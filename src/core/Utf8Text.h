#pragma once

#include <QString>

#include <optional>

class QByteArray;

namespace quillora {

/** `bytes` as text when they are valid UTF-8 (an empty array is); none otherwise. */
[[nodiscard]] std::optional<QString> decodeUtf8(const QByteArray& bytes);

} // namespace quillora
