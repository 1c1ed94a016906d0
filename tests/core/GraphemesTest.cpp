#include "core/Graphemes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Texts whose code units and user-perceived characters differ: a combining accent, a family
// emoji joined by zero-width joiners, two flags, and a surrogate pair.
TEST(GraphemesTest, CountsLimitsAndCutsByUserPerceivedCharacters)
{
    const QString accent = QStringLiteral("e\u0301");
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString flags = QStringLiteral("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA");
    struct Case
    {
        QString text;
        qsizetype count;
    };
    const std::vector<Case> cases = {
        {QString(), 0}, {QStringLiteral("abc"), 3}, {accent, 1}, {family, 1}, {flags, 2},
        {accent.repeated(10), 10}, {QStringLiteral("\U0001F600x"), 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Graphemes::count(c.text), c.count) << c.text.toStdString();
        EXPECT_EQ(Graphemes::split(c.text).size(), c.count) << c.text.toStdString();
        EXPECT_EQ(Graphemes::split(c.text).join(QString()), c.text);
        EXPECT_TRUE(Graphemes::hasAtLeast(c.text, c.count));
        EXPECT_FALSE(Graphemes::hasAtLeast(c.text, c.count + 1));
        EXPECT_FALSE(Graphemes::exceeds(c.text, c.count));
        EXPECT_TRUE(Graphemes::exceeds(c.text, c.count - 1));
    }
    // Ten accented letters are 20 code units but only ten characters; a prefix never splits one.
    EXPECT_EQ(Graphemes::prefix(accent.repeated(10), 3), accent.repeated(3));
    EXPECT_EQ(Graphemes::prefix(family + QStringLiteral("ab"), 2), family + QStringLiteral("a"));
    EXPECT_EQ(Graphemes::prefix(QStringLiteral("ab"), 20), QStringLiteral("ab"));
}

} // namespace
} // namespace quillora
