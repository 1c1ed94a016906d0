#include "core/PolishLimits.h"

namespace quillora {

qsizetype PolishLimits::variationBound(qsizetype textCharacters)
{
    return 4 * textCharacters + 2000;
}

qsizetype PolishLimits::characters(const QString& text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The second half of a surrogate pair belongs to the character before it.
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate()) {
            ++count;
        }
    }
    return count;
}

} // namespace quillora
