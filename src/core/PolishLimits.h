#pragma once

#include <QString>

namespace quillora {

/**
 * How long a text to polish and each of its variations may be: one rule for the service and the
 * programs that talk to it, so that what one side accepts the other does too.
 */
class PolishLimits final
{
public:
    PolishLimits() = delete;

    /**
     * The longest text one polishing takes, in user-perceived characters (grapheme clusters): the
     * desktop program does not send a longer selection, and the service refuses one.
     */
    static constexpr qsizetype maximumTextLength = 10'000;

    /**
     * The most characters (code points) a variation of a text of `textCharacters` characters may
     * have: 4 × `textCharacters` + 2,000. A longer one counts as a failed preset.
     */
    [[nodiscard]] static qsizetype variationBound(qsizetype textCharacters);

    /** The characters (code points) of `text`. */
    [[nodiscard]] static qsizetype characters(const QString& text);
};

} // namespace quillora
