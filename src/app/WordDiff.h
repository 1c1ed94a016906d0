#pragma once

#include <QList>
#include <QString>

namespace quillora {

/**
 * The differences between an original text and a variation, word by word, for the results panel
 * to mark: words and punctuation are compared as they are, runs of white space only as white space
 * (a change of spacing alone is no change). Computed locally, in time proportional to the product
 * of the two texts' word counts; texts too long for that are shown as one replacement.
 */
class WordDiff final
{
public:
    struct Segment
    {
        enum class Kind { same, inserted, removed };
        Kind kind = Kind::same;
        QString text;

        bool operator==(const Segment&) const = default;
    };

    /** The segments that turn `original` into `variation`, removals before insertions at each change. */
    [[nodiscard]] static QList<Segment> compare(const QString& original, const QString& variation);

    /** How many changes the segments hold: each run of removals and insertions counts once. */
    [[nodiscard]] static int changeCount(const QList<Segment>& segments);

    /** The segments as rich text: insertions highlighted, removals struck through, all escaped. */
    [[nodiscard]] static QString toHtml(const QList<Segment>& segments);

    /** The most tokens a text may have to be compared word by word. */
    static constexpr qsizetype maximumTokens = 2000;
};

} // namespace quillora
