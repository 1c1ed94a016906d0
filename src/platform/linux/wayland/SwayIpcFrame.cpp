#include "platform/linux/wayland/SwayIpcFrame.h"

#include <algorithm>
#include <cstring>

namespace quillora {

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;

quint32 readNative(const char* bytes)
{
    quint32 value = 0;
    std::memcpy(&value, bytes, sizeof(value));
    return value;
}

void appendNative(QByteArray& bytes, quint32 value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof(value));
}

} // namespace

QByteArray SwayIpcFrame::encode(quint32 type, const QByteArray& payload)
{
    QByteArray bytes(kMagic, kMagicSize);
    appendNative(bytes, quint32(payload.size()));
    appendNative(bytes, type);
    return bytes + payload;
}

SwayIpcFrame::Decoded SwayIpcFrame::decode(const QByteArray& buffer)
{
    // A wrong start shows in its first bytes; no need to wait for a whole header.
    const qsizetype compared = std::min(buffer.size(), kMagicSize);
    if (std::memcmp(buffer.constData(), kMagic, std::size_t(compared)) != 0) {
        return {Status::Malformed};
    }
    if (buffer.size() < headerSize) {
        return {Status::Incomplete};
    }
    const quint32 length = readNative(buffer.constData() + kMagicSize);
    if (length > maxPayload) {
        return {Status::Malformed};
    }
    if (buffer.size() - headerSize < qsizetype(length)) {
        return {Status::Incomplete};
    }
    const quint32 type = readNative(buffer.constData() + kMagicSize + 4);
    return {Status::Complete, type, buffer.mid(headerSize, length), headerSize + qsizetype(length)};
}

} // namespace quillora
