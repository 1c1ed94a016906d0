#pragma once

#include <QString>

namespace quillora {

/**
 * How long one variation of a text may be: one rule for the service that makes variations and the
 * programs that receive them, so that an answer one side accepts the other does too.
 */
class VariationLength final
{
public:
    VariationLength() = delete;

    /**
     * The most characters (code points) a variation of a text of `textCharacters` characters may
     * have: 4 × `textCharacters` + 2,000. A longer one counts as a failed preset.
     */
    [[nodiscard]] static qsizetype bound(qsizetype textCharacters);

    /** The characters (code points) of `text`. */
    [[nodiscard]] static qsizetype characters(const QString& text);
};

} // namespace quillora
