#pragma once

#include <QString>

namespace quillora {

/**
 * What every variation the service answers with keeps to, whichever engine made it; its length
 * bound is `PolishLimits`'s.
 */
class VariationText final
{
public:
    VariationText() = delete;

    /**
     * `text` without control characters (C0, DEL and C1) but tab and line feed; a carriage return,
     * alone or before a line feed, becomes one line feed.
     */
    [[nodiscard]] static QString withoutControls(const QString& text);
};

} // namespace quillora
