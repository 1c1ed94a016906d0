// The lines of "confusables.txt": what a rule needs, and the lines the loader must refuse.
#include "rules/ConfusableRule.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(ConfusableRuleTest, ParsesTheReplacementAndEachSideAndRefusesMalformedLines)
{
    ConfusableRule rule;
    EXPECT_EQ(ConfusableRule::parse(QStringLiteral("loose => lose | before=@modal,to ; after=@noun,the"), rule),
              QStringLiteral("loose"));
    EXPECT_EQ(rule.replacement, QStringLiteral("lose"));
    ASSERT_EQ(rule.conditions.size(), 2);
    EXPECT_FALSE(rule.conditions[0].after);
    EXPECT_EQ(rule.conditions[0].allowed, (QStringList{QStringLiteral("@modal"), QStringLiteral("to")}));
    EXPECT_TRUE(rule.conditions[1].after);
    EXPECT_EQ(rule.conditions[1].allowed, (QStringList{QStringLiteral("@noun"), QStringLiteral("the")}));

    for (const char* malformed : {
             "loose lose | before=to",    // no arrow
             "loose => lose",             // no condition: the pair would replace every use
             "loose => lose | beside=to", // neither side
             " => lose | before=to",      // no word
             "loose =>  | before=to",     // no replacement
             "loose | before=to => lose", // conditions before the replacement
         }) {
        ConfusableRule ignored;
        EXPECT_TRUE(ConfusableRule::parse(QString::fromUtf8(malformed), ignored).isEmpty()) << malformed;
    }
}

} // namespace
} // namespace quillora
