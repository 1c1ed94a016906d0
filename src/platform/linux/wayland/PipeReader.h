#pragma once

#include <QByteArray>

#include <optional>

namespace quillora {

/** Reads what another process writes into a pipe, as the owner of a Wayland selection does. */
class PipeReader final
{
public:
    /** The longest text read; a selection beyond it counts as unreadable. */
    static constexpr qsizetype maxBytes = 16 << 20;

    /**
     * Everything written to the read end `fd` until the writer closes it. None when the writer does
     * not close it within `timeoutMs`, on a read error, or past `maxBytes`. Does not close `fd`.
     */
    [[nodiscard]] static std::optional<QByteArray> readToEnd(int fd, int timeoutMs);
};

} // namespace quillora
