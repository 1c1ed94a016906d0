#include "server/rules/SpellingDictionary.h"
#include "server/rules/SpellingCorrector.h"

#include "support/QtPrinters.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace quillora {
namespace {

std::shared_ptr<const SpellingDictionary> smallDictionary()
{
    return SpellingDictionary::fromEntries({
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
    });
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

TEST(SpellingDictionaryTest, CorrectsOnlyWhenOneCorrectionStandsOut)
{
    SpellingCorrector corrector(smallDictionary());
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
        {"lanter", false, nullptr},     // "lantern" and "latter" are equally likely
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
}

TEST(SpellingDictionaryTest, OnlyUnknownWordsUseUpTheCorrectionBudget)
{
    SpellingCorrector corrector(smallDictionary());
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

TEST(SpellingDictionaryTest, LoadsTheHunspellFileFormat)
{
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    file.write("3\nwalk/GDS\ncolour/MS\nzebra\n");
    file.close();
    const auto dictionary = SpellingDictionary::load(file.fileName());
    EXPECT_EQ(dictionary->size(), 3);
    EXPECT_TRUE(dictionary->isKnown(QStringLiteral("colours")));
    EXPECT_FALSE(dictionary->isKnown(QStringLiteral("3")));
    EXPECT_ANY_THROW(SpellingDictionary::load(file.fileName() + QStringLiteral(".missing")));
}

} // namespace
} // namespace quillora
