// The rule-based rewrites, on the English hunspell dictionary.
#include "SharedRules.h"

#include "rules/TextRewriter.h"

#include "support/QtPrinters.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace quillora {
namespace {

class TextRewriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(QStringLiteral("/usr/share/hunspell/en_US.dic"))) {
            GTEST_SKIP() << "the hunspell-en-us package is not installed";
        }
        const test::SharedRules& rules = test::SharedRules::get();
        m_rewriter = std::make_unique<TextRewriter>(rules.dictionary, rules.lexicon, rules.otherLanguages);
    }

    struct Case
    {
        QString input;
        QString expected;
    };

    void expectAll(RewriteStyle style, const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            EXPECT_EQ(m_rewriter->rewrite(c.input, style), c.expected) << "input: " << c.input.toStdString();
        }
    }

    std::unique_ptr<TextRewriter> m_rewriter;
};

TEST_F(TextRewriterTest, FixGrammarCorrectsSpacingCapitalsRepeatsAndSpelling)
{
    expectAll(RewriteStyle::FixGrammar,
              {
                  {QStringLiteral("i think teh meeting is is on monday , we should of prepared more"),
                   QStringLiteral("I think the meeting is on Monday, we should have prepared more")},
                  {QStringLiteral("I would like to recieve an update,thanks"),
                   QStringLiteral("I would like to receive an update, thanks")},
                  {QStringLiteral("we occured a problem.Then it was fixed"),
                   QStringLiteral("We occurred a problem. Then it was fixed")},
                  {QStringLiteral("dont worry , im sure its going to work"),
                   QStringLiteral("Don't worry, I'm sure it's going to work")},
                  {QStringLiteral("an university sent a email about an hour long delay"),
                   QStringLiteral("A university sent an email about an hour long delay")},
                  {QStringLiteral("the dog wagged its tail"), QStringLiteral("The dog wagged its tail")},
                  {QStringLiteral("  keep the spaces around\n"), QStringLiteral("  Keep the spaces around\n")},
              });
}

TEST_F(TextRewriterTest, FixGrammarLeavesNamesCodeAddressesAndShorthandAlone)
{
    expectAll(
        RewriteStyle::FixGrammar,
        {
            {QStringLiteral("see https://exmaple.com/teh and mail bob@exmaple.org"),
             QStringLiteral("See https://exmaple.com/teh and mail bob@exmaple.org")},
            {QStringLiteral("ask Quillorian about the v1.2.3 build btw"),
             QStringLiteral("Ask Quillorian about the v1.2.3 build btw")},
            {QStringLiteral("e.g. this works :-) ok"), QStringLiteral("e.g. this works :-) ok")},
            {QStringLiteral("Plan A is fine"), QStringLiteral("Plan A is fine")},
            {QStringLiteral("hello\n\n\nworld"), QStringLiteral("Hello\n\nWorld")},
            {QStringLiteral("we should of met in \u6771\u4EAC"), QStringLiteral("We should have met in \u6771\u4EAC")},
        });
}

TEST_F(TextRewriterTest, ConciseDropsFillerAndWordyPhrases)
{
    expectAll(RewriteStyle::Concise,
              {
                  {QStringLiteral("Basically, we really need to finish this in order to ship it."),
                   QStringLiteral("We need to finish this to ship it.")},
                  {QStringLiteral("This is, actually, very important due to the fact that users wait."),
                   QStringLiteral("This is important because users wait.")},
                  {QStringLiteral("At this point in time we are in the process of reviewing it."),
                   QStringLiteral("Now we are reviewing it.")},
              });
}

TEST_F(TextRewriterTest, ProfessionalAndCasualChangeContractionsAndRegister)
{
    expectAll(RewriteStyle::Professional,
              {
                  {QStringLiteral("hey, i can't make it, it's been a crazy week!! thanks"),
                   QStringLiteral("Hello, I cannot make it, it has been a crazy week! Thank you")},
                  {QStringLiteral("We're gonna get back to you asap."),
                   QStringLiteral("We are going to follow up with you as soon as possible.")},
              });
    expectAll(
        RewriteStyle::Casual,
        {
            {QStringLiteral("Dear Anna, I am writing to inform you that we cannot attend. Thank you."),
             QStringLiteral("Hi Anna, I'm writing to let you know that we can't attend. Thanks.")},
            {QStringLiteral("However, it is not ready. Yes, I am."), QStringLiteral("But it's not ready. Yes, I am.")},
        });
}

} // namespace
} // namespace quillora
