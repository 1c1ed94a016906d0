// The rule-based rewrites, on the English hunspell dictionary.
#include "SharedRules.h"

#include "rules/Lexicon.h"
#include "rules/TextRewriter.h"

#include "support/QtPrinters.h"

#include <QFileInfo>
#include <QRegularExpression>

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
                  // A first letter typed twice, a lone plain word another language knows, and a
                  // wrongly regular past after "be", which stands for the participle.
                  {QStringLiteral("check the aaccess logs with the profesor"),
                   QStringLiteral("Check the access logs with the professor")},
                  {QStringLiteral("the lines are drawed twice"), QStringLiteral("The lines are drawn twice")},
                  // A preposition WordNet has no senses for, slips that look like two words run
                  // together, and swapped letters in a short everyday word.
                  {QStringLiteral("we leaned agaist the wall and did it youself as we ahve done"),
                   QStringLiteral("We leaned against the wall and did it yourself as we have done")},
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
            // Coinages from a prefix or a letter before a known word, compounds, quoted values,
            // capitals, and "all but" that opens no clause.
            {QStringLiteral("Run kinit and klist, then deconfigure the charstring parser."),
             QStringLiteral("Run kinit and klist, then deconfigure the charstring parser.")},
            {QStringLiteral("Use one of \"emerg\" or \"crit\" to ENABLED hosts."),
             QStringLiteral("Use one of \"emerg\" or \"crit\" to ENABLED hosts.")},
            {QStringLiteral("We support Latin, Greek and Cyrillic scripts where Backup and DR is available."),
             QStringLiteral("We support Latin, Greek and Cyrillic scripts where Backup and DR is available.")},
            {QStringLiteral("It waits until all but the right type are eliminated."),
             QStringLiteral("It waits until all but the right type are eliminated.")},
            // Words to type in single quotes, and an acronym some say as a word.
            {QStringLiteral("Compare 'who am i' with whoami."), QStringLiteral("Compare 'who am i' with whoami.")},
            {QStringLiteral("Executes a SQL query."), QStringLiteral("Executes a SQL query.")},
        });
}

TEST_F(TextRewriterTest, PreparedTextTellsWhenNoSentenceIsEnglish)
{
    EXPECT_TRUE(
        m_rewriter->prepare(QStringLiteral("Ich habe das Buch gestern gelesen und es war sehr gut.")).notEnglish);
    EXPECT_FALSE(
        m_rewriter->prepare(QStringLiteral("Ich habe keine Zeit heute. We can talk about it tomorrow.")).notEnglish);
    EXPECT_FALSE(m_rewriter->prepare(QStringLiteral(" 42 ")).notEnglish);
}

// Every form of the "Professional" table goes wherever the table lets it stand: none survives,
// whether another rule or the spelling corrector gets to it first.
TEST_F(TextRewriterTest, ProfessionalLeavesNoFormOfItsTableBehind)
{
    const QList<PhraseRule> rules = test::SharedRules::get().lexicon->phrases(QStringLiteral("professional"));
    ASSERT_GE(rules.size(), 150);
    for (const PhraseRule& rule : rules) {
        // A punctuation mark stands alone in a pattern ("so ,"), but sits against the word in a text.
        const QString form = QString(rule.pattern).replace(QStringLiteral(" ,"), QStringLiteral(","));
        QStringList texts{form + QStringLiteral(" we can talk later")};
        if (rule.where != PhraseRule::Where::SentenceStart) {
            texts.append(QStringLiteral("I said ") + form + QStringLiteral(" we can talk later"));
        }
        const QRegularExpression left(QStringLiteral("(^|[^\\w'])%1($|[^\\w'])").arg(QRegularExpression::escape(form)),
                                      QRegularExpression::CaseInsensitiveOption);
        for (const QString& text : texts) {
            const QString result = m_rewriter->rewrite(text, RewriteStyle::Professional);
            EXPECT_FALSE(left.match(result).hasMatch()) << text.toStdString() << " -> " << result.toStdString();
        }
    }
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

// Slips a clause's neighbours settle, each beside a correct sentence of the same shape that stays.
TEST_F(TextRewriterTest, FixGrammarReadsOwnersContractionsAndCompoundSubjects)
{
    expectAll(RewriteStyle::FixGrammar,
              {
                  {QStringLiteral("Peter and Anna is on holiday."), QStringLiteral("Peter and Anna are on holiday.")},
                  {QStringLiteral("Alice and Bob is here."), QStringLiteral("Alice and Bob are here.")},
                  {QStringLiteral("I think Tom and Jerry is late."), QStringLiteral("I think Tom and Jerry are late.")},
                  {QStringLiteral("The gap between Tom and Jerry is small."),
                   QStringLiteral("The gap between Tom and Jerry is small.")},
                  {QStringLiteral("Fields are split by tabs."), QStringLiteral("Fields are split by tabs.")},
                  {QStringLiteral("There cat sleeps all day."), QStringLiteral("Their cat sleeps all day.")},
                  {QStringLiteral("They love there big garden."), QStringLiteral("They love their big garden.")},
                  {QStringLiteral("They love there quiet street."), QStringLiteral("They love their quiet street.")},
                  {QStringLiteral("We stay there next week."), QStringLiteral("We stay there next week.")},
                  {QStringLiteral("There goes the last train."), QStringLiteral("There goes the last train.")},
                  {QStringLiteral("Your early today."), QStringLiteral("You're early today.")},
                  {QStringLiteral("Your old laptop still works."), QStringLiteral("Your old laptop still works.")},
                  {QStringLiteral("Its warm inside."), QStringLiteral("It's warm inside.")},
                  {QStringLiteral("Its choice of words was odd."), QStringLiteral("Its choice of words was odd.")},
                  {QStringLiteral("Its internal cache is small."), QStringLiteral("Its internal cache is small.")},
                  {QStringLiteral("Whose hungry?"), QStringLiteral("Who's hungry?")},
                  {QStringLiteral("Whose turn is it?"), QStringLiteral("Whose turn is it?")},
                  {QStringLiteral("He has three brother and one sister."),
                   QStringLiteral("He has three brothers and one sister.")},
              });
}

TEST_F(TextRewriterTest, ConciseKeepsAPhraseWhoseRemovalWouldBreakTheSentence)
{
    expectAll(RewriteStyle::Concise,
              {
                  {QStringLiteral("Honestly. We shipped it."), QStringLiteral("Honestly. We shipped it.")},
                  {QStringLiteral("Basically, and then it broke."), QStringLiteral("Basically, and then it broke.")},
                  {QStringLiteral("Well, really."), QStringLiteral("Really.")},
                  // An aside between commas goes without the comma that closes the aside before it.
                  {QStringLiteral("We were, like, really, tired."), QStringLiteral("We were, like, tired.")},
                  // A shorter subject is checked against its verb again.
                  {QStringLiteral("A number of testers has left."), QStringLiteral("Several testers have left.")},
                  {QStringLiteral("The majority of users is happy."), QStringLiteral("Most users are happy.")},
                  {QStringLiteral("A small number of testers has left."), QStringLiteral("A few testers have left.")},
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
                  {QStringLiteral("We were, like, really, tired."), QStringLiteral("We were, really, tired.")},
              });
    expectAll(
        RewriteStyle::Casual,
        {
            {QStringLiteral("Dear Anna, I am writing to inform you that we cannot attend. Thank you."),
             QStringLiteral("Hi Anna, I'm writing to let you know that we can't attend. Thanks.")},
            {QStringLiteral("However, it is not ready. Yes, I am."), QStringLiteral("But it's not ready. Yes, I am.")},
            {QStringLiteral("We were, like, really, tired."), QStringLiteral("We were, like, really, tired.")},
        });
}

} // namespace
} // namespace quillora
