#include "rules/SpellingDictionary.h"
#include "rules/SpellingCorrector.h"

#include "SharedRules.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// The suffix and prefix rules of the English affix files, in their own format.
const QString kAffixes =
    QStringLiteral("SFX S Y 4\nSFX S y ies [^aeiou]y\nSFX S 0 s [aeiou]y\nSFX S 0 es [sxzh]\nSFX S 0 s [^sxzhy]\n"
                   "SFX D Y 4\nSFX D 0 d e\nSFX D y ied [^aeiou]y\nSFX D 0 ed [^ey]\nSFX D 0 ed [aeiou]y\n"
                   "SFX G Y 2\nSFX G e ing e\nSFX G 0 ing [^e]\n"
                   "SFX M Y 1\nSFX M 0 's .\n"
                   "SFX R Y 2\nSFX R y ier [^aeiou]y\nSFX R 0 er [^y]\n"
                   "SFX T Y 2\nSFX T y iest [^aeiou]y\nSFX T 0 est [^y]\n"
                   "SFX P Y 2\nSFX P y iness [^aeiou]y\nSFX P 0 ness [^y]\n"
                   "PFX U Y 1\nPFX U 0 un .\nPFX A Y 1\nPFX A 0 re .\n");

std::shared_ptr<const SpellingDictionary> smallDictionary()
{
    return SpellingDictionary::fromEntries(
        {
            QStringLiteral("walk/GDS"),
            QStringLiteral("city/SM"),
            QStringLiteral("happy/URTP"),
            QStringLiteral("make/GS"),
            QStringLiteral("box/S"),
            QStringLiteral("occur/AS"),
            QStringLiteral("occurred"),
            QStringLiteral("Paris/M"),
            QStringLiteral("Monday/SM"),
            QStringLiteral("receive/DGS"),
            QStringLiteral("relieve/DGS"),
            QStringLiteral("the"),
            QStringLiteral("ten"),
            QStringLiteral("tea"),
            QStringLiteral("can't"),
            QStringLiteral("lantern/S"),
            QStringLiteral("latter"),
        },
        kAffixes);
}

TEST(SpellingDictionaryTest, KnowsTheSuffixAndPrefixFormsItsFlagsAllow)
{
    const auto dictionary = smallDictionary();
    struct Case
    {
        const char* word;
        bool known;
    };
    const Case cases[] = {
        {"walk", true},      {"walked", true},     {"walking", true}, {"walks", true},   {"walker", false},
        {"cities", true},    {"city's", true},     {"citys", false},  {"happier", true}, {"happiest", true},
        {"happiness", true}, {"unhappy", true},    {"making", true},  {"maked", false},  {"boxes", true},
        {"occured", false},  {"reoccur", true},    {"Paris", true},   {"PARIS", true},   {"paris", false},
        {"The", true},       {"can\u2019t", true}, {"Walked", true},  {"wAlked", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dictionary->isKnown(QString::fromUtf8(c.word)), c.known) << c.word;
    }
}

TEST(SpellingDictionaryTest, CorrectsOnlyWhenOneCorrectionStandsOutAndWithinTheBudget)
{
    SpellingCorrector corrector(smallDictionary(), test::SharedRules::get().lexicon);
    struct Case
    {
        const char* word;
        bool sentenceStart;
        const char* corrected;
    };
    const Case cases[] = {
        {"teh", false, "the"},          // an everyday word wins over "ten" and "tea"
        {"Teh", true, "The"},           // the capital is kept
        {"recieve", false, "receive"},  // swapped neighbours win over "relieve"
        {"occured", false, "occurred"}, // the only word one edit away
        {"monday", false, "Monday"},    // a name written in lower case
        {"walked", false, nullptr},     // known
        {"Quillora", false, nullptr},   // a capital inside a sentence is a name
        {"btw", false, nullptr},        // shorthand
        {"xqzv", false, nullptr},       // nothing close
        {"wALK", false, nullptr},       // mixed case
    };
    for (const Case& c : cases) {
        const auto result = corrector.correct(QString::fromUtf8(c.word), c.sentenceStart);
        if (c.corrected == nullptr) {
            EXPECT_EQ(result, std::nullopt) << c.word;
        } else {
            EXPECT_EQ(result.value_or(QStringLiteral("<none>")), QString::fromUtf8(c.corrected)) << c.word;
        }
    }

    // Only unknown words use up the correction budget.
    corrector.setBudget(2);
    EXPECT_EQ(corrector.correct(QStringLiteral("walked"), false), std::nullopt);
    EXPECT_EQ(corrector.correct(QStringLiteral("teh"), false), QStringLiteral("the"));
    EXPECT_EQ(corrector.correct(QStringLiteral("xqzv"), false), std::nullopt);
    // The budget is spent: even a remembered correction is not applied, so the result does not
    // depend on earlier texts.
    EXPECT_EQ(corrector.correct(QStringLiteral("teh"), false), std::nullopt);
    EXPECT_EQ(corrector.correct(QStringLiteral("walked"), false), std::nullopt);
    corrector.setBudget(1);
    EXPECT_EQ(corrector.correct(QStringLiteral("teh"), false), QStringLiteral("the"));
}

TEST(SpellingDictionaryTest, LoadsTheHunspellFilesWithTheirAffixRules)
{
    QTemporaryDir folder;
    const auto write = [&folder](const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    // The British list opens with a byte order mark and carries morphological fields after a tab.
    write(QStringLiteral("en_GB.dic"), "\xEF\xBB\xBF"
                                       "3\ncolour/MS\torigin\nzebra\n");
    write(QStringLiteral("en_GB.aff"), kAffixes.toUtf8());
    write(QStringLiteral("en_US.dic"), "1\ncolor/S\n");
    const auto dictionary = SpellingDictionary::load(
        {folder.filePath(QStringLiteral("en_GB.dic")), folder.filePath(QStringLiteral("en_US.dic"))});
    for (const char* word : {"colour", "colours", "colour's", "zebra", "color"}) {
        EXPECT_TRUE(dictionary->isKnown(QString::fromUtf8(word))) << word;
    }
    // The American list has no affix file beside it, so its flags allow nothing.
    EXPECT_FALSE(dictionary->isKnown(QStringLiteral("colors")));
    EXPECT_FALSE(dictionary->isKnown(QStringLiteral("3")));
    EXPECT_ANY_THROW(SpellingDictionary::load({folder.filePath(QStringLiteral("missing.dic"))}));
}

} // namespace
} // namespace quillora
