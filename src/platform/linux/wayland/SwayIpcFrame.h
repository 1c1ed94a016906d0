#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace quillora {

/**
 * One message of sway's IPC protocol (that of i3): the magic "i3-ipc", the payload's length and
 * the message type as 32-bit integers in the host's byte order, then the payload (JSON).
 */
struct SwayIpcFrame
{
    /** Message types this system sends. A reply carries its request's type. */
    static constexpr quint32 getTree = 4;
    static constexpr quint32 getVersion = 7;
    /** Bytes before the payload. */
    static constexpr qsizetype headerSize = 14;
    /** The longest payload accepted; a window tree is far smaller. */
    static constexpr quint32 maxPayload = 64u << 20;

    /** How much of a buffer `decode` could use. */
    enum class Status { Incomplete, Complete, Malformed };

    struct Decoded
    {
        Status status = Status::Incomplete;
        /** The message, when complete. */
        quint32 type = 0;
        QByteArray payload;
        /** Bytes of the buffer the message took, when complete. */
        qsizetype consumed = 0;
    };

    /** The bytes of a message of `type` carrying `payload`. */
    [[nodiscard]] static QByteArray encode(quint32 type, const QByteArray& payload);

    /**
     * The first message in `buffer`: `Incomplete` while bytes are missing, `Malformed` when the
     * buffer does not start with the magic or announces a payload over `maxPayload`.
     */
    [[nodiscard]] static Decoded decode(const QByteArray& buffer);
};

} // namespace quillora
