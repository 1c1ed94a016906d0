#pragma once

#include <QString>

namespace quillora {

/**
 * Text received from elsewhere (a service's answer, the history) made safe for a terminal: an
 * escape sequence or another control character in it would be obeyed by the terminal (moving the
 * cursor, retitling the window, rewriting what was printed before) instead of being shown.
 */
class TerminalText final
{
public:
    /**
     * `text` with every C0 control character other than tab and line feed, DEL and every C1
     * control character replaced by U+FFFD, so that each stays visible as one mark.
     */
    [[nodiscard]] static QString safe(const QString& text);
};

} // namespace quillora
