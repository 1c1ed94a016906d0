#pragma once

#include <QString>

namespace quillora {

/** What every variation the service answers with keeps to, whichever engine made it. */
class VariationText final
{
public:
    VariationText() = delete;

    /**
     * The most characters (code points) a variation of a text of `textCharacters` characters may
     * have: 4 × `textCharacters` + 2,000. A longer one is a failed preset; the desktop client
     * drops one too.
     */
    [[nodiscard]] static qsizetype bound(qsizetype textCharacters);

    /** The characters (code points) of `text`. */
    [[nodiscard]] static qsizetype characters(const QString& text);

    /**
     * `text` without control characters (C0, DEL and C1) but tab and line feed; a carriage return,
     * alone or before a line feed, becomes one line feed.
     */
    [[nodiscard]] static QString withoutControls(const QString& text);
};

} // namespace quillora
