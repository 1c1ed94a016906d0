// The word-level differences a card marks: whole words and punctuation, spacing alone no change,
// repeated words matched to the right occurrence, and text outside the basic plane kept whole.
#include "app/WordDiff.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

using Kind = WordDiff::Segment::Kind;

// The segments in a compact form: "=same", "-removed", "+inserted", joined by "|".
QString render(const QList<WordDiff::Segment>& segments)
{
    QStringList parts;
    for (const WordDiff::Segment& segment : segments) {
        const QChar mark = segment.kind == Kind::same ? u'=' : segment.kind == Kind::removed ? u'-' : u'+';
        parts << mark + segment.text;
    }
    return parts.join(QLatin1Char('|'));
}

TEST(WordDiffTest, TrickyCasesMarkWholeWordsAndCountEachChangeOnce)
{
    const struct
    {
        const char* original;
        const char* variation;
        const char* segments;
        int changes;
    } cases[] = {
        {"i think its fine", "I think it's fine.", "-i|+I|= think |-its|+it's|= fine|+.", 3},
        {"Hello, world", "Hello world!", "=Hello|-,|= world|+!", 2},
        {"the the cat", "the cat", "=the |-the |=cat", 1},
        {"a  b\n c", "a b c", "=a b c", 0},
        {"naïve café", "naive café", "-naïve|+naive|= café", 1},
        {"ok 👍 then", "ok 👌 then", "=ok |-👍|+👌|= then", 1},
        {"", "new text", "+new text", 1},
        {"old text", "", "-old text", 1},
        {"same", "same", "=same", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.original);
        const QList<WordDiff::Segment> segments =
            WordDiff::compare(QString::fromUtf8(c.original), QString::fromUtf8(c.variation));
        EXPECT_EQ(render(segments), QString::fromUtf8(c.segments));
        EXPECT_EQ(WordDiff::changeCount(segments), c.changes);
        // The variation is always what the same and inserted parts spell.
        QString rebuilt;
        for (const WordDiff::Segment& segment : segments) {
            rebuilt += segment.kind == Kind::removed ? QString() : segment.text;
        }
        EXPECT_EQ(rebuilt.simplified(), QString::fromUtf8(c.variation).simplified());
    }
    // Marked up, the user's text cannot become markup.
    EXPECT_FALSE(WordDiff::toHtml(WordDiff::compare(QStringLiteral("<b>x</b>"), QStringLiteral("<i>y</i>")))
                     .contains(QLatin1String("<b>")));
}

TEST(WordDiffTest, TextTooLongToCompareWordByWordIsOneReplacement)
{
    const QString longText = QStringLiteral("word ").repeated(WordDiff::maximumTokens);
    const QList<WordDiff::Segment> segments = WordDiff::compare(longText, QStringLiteral("short"));
    ASSERT_EQ(segments.size(), 2);
    EXPECT_EQ(segments.at(0).kind, Kind::removed);
    EXPECT_EQ(WordDiff::changeCount(segments), 1);
}

} // namespace
} // namespace quillora
