#pragma once

#include <QString>
#include <QStringList>

namespace quillora {

/**
 * Counting text as the user sees it: one character per extended grapheme cluster, so that "é"
 * written as e plus a combining accent, a family emoji or a flag counts as one. Every length the
 * user is told about or limited by is counted here.
 */
class Graphemes final
{
public:
    /** The number of user-perceived characters in `text`. */
    [[nodiscard]] static qsizetype count(const QString& text);

    /** True when `text` holds at least `minimum` user-perceived characters; stops counting there. */
    [[nodiscard]] static bool hasAtLeast(const QString& text, qsizetype minimum);

    /** True when `text` holds more than `limit` user-perceived characters. */
    [[nodiscard]] static bool exceeds(const QString& text, qsizetype limit);

    /** The first `limit` user-perceived characters of `text` (all of it when shorter). */
    [[nodiscard]] static QString prefix(const QString& text, qsizetype limit);

    /** `text` cut into its user-perceived characters, in order. */
    [[nodiscard]] static QStringList split(const QString& text);
};

} // namespace quillora
