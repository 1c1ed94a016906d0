#pragma once

#include "rules/ConfusableRule.h"
#include "rules/PhraseRewriter.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

namespace quillora {

/**
 * What the rules know about English words beyond their spelling: parts of speech and irregular
 * forms from WordNet, and the rule tables of the data folder (irregular verbs, common
 * misspellings, word frequencies, named word lists, phrase tables). Immutable once loaded, so one
 * copy can serve every request. All look-ups take lower-case words.
 */
class Lexicon final
{
public:
    /**
     * Reads the tables in `dataFolder` and the WordNet database in `wordnetFolder`. Throws
     * `RulesDataError` naming the file when a table cannot be read or a line of it
     * is malformed. A missing WordNet folder is not an error: the rules that need parts of speech
     * then do nothing.
     */
    [[nodiscard]] static std::shared_ptr<const Lexicon> load(const QString& dataFolder, const QString& wordnetFolder);

    [[nodiscard]] bool isNoun(const QString& word) const { return m_nouns.contains(word); }
    [[nodiscard]] bool isVerb(const QString& word) const { return m_verbs.contains(word); }
    [[nodiscard]] bool isAdjective(const QString& word) const { return m_adjectives.contains(word); }
    [[nodiscard]] bool isAdverb(const QString& word) const { return m_adverbs.contains(word); }

    /** True when `word` is in the word list `name` of "word-lists.txt"; false for an unknown list. */
    [[nodiscard]] bool inList(const QString& name, const QString& word) const;

    /** The word list `name` of "word-lists.txt"; empty for an unknown list. */
    [[nodiscard]] QSet<QString> list(const QString& name) const { return m_lists.value(name); }

    /**
     * True when `word` names a program, manual page or package installed on this system ("pstree",
     * "debugfs", "pango" of "libpango"): such words are written on purpose, never mistyped English.
     */
    [[nodiscard]] bool isInstalledName(const QString& word) const { return m_installedNames.contains(word); }

    /**
     * How common `word` is: higher is more common, 0 when nothing is known. Words of the
     * frequent-words table rank first, then the rest by their WordNet sense counts and their uses in
     * WordNet's definitions and examples.
     */
    [[nodiscard]] int frequency(const QString& word) const { return m_frequency.value(word, 0); }

    /** The spelling a common misspelling stands for, or an empty text. */
    [[nodiscard]] QString misspelling(const QString& word) const { return m_misspellings.value(word); }

    /** The past tense of an irregular verb's wrongly regular form ("goed" to "went"), or an empty text. */
    [[nodiscard]] QString irregularPast(const QString& word) const { return m_regularized.value(word); }

    /** The base form of a verb in the past tense ("knew", "walked"), or an empty text when `word` is not one. */
    [[nodiscard]] QString baseOfPast(const QString& word) const;

    /** The past participle of the verb whose past tense is `past` ("went" to "gone"), or an empty text. */
    [[nodiscard]] QString participleOfPast(const QString& past) const { return m_participleOfPast.value(past); }

    /** True when `word` is a past participle: an irregular one ("done", "drawn") or a regular "-ed" form. */
    [[nodiscard]] bool isParticiple(const QString& word) const;

    /** True when the irregular verb `base` has the same past tense ("put", "read"). */
    [[nodiscard]] bool pastEqualsBase(const QString& base) const { return m_unchangedPast.contains(base); }

    /** The third person singular of the verb `base` ("go" to "goes", "have" to "has"). */
    [[nodiscard]] QString thirdPerson(const QString& base) const;

    /** The base form of a verb in the third person singular ("sings", "goes"), or an empty text. */
    [[nodiscard]] QString baseOfThirdPerson(const QString& word) const;

    /** The plural of the noun `singular`. */
    [[nodiscard]] QString plural(const QString& singular) const;

    /** True when `word` is the plural of a noun and not itself a noun's base form ("books", not "news"). */
    [[nodiscard]] bool isPluralNoun(const QString& word) const;

    /**
     * The form of the verb `verb` that agrees with a subject in `person` ("first", "third" or
     * "plural") when the agreement table lists it ("they was" to "were"), or an empty text.
     */
    [[nodiscard]] QString phraseAgreement(const QString& person, const QString& verb) const
    {
        return m_agreement.value(person + QLatin1Char(' ') + verb);
    }

    /** The rules of "confusables.txt" for the lower-case `word`, in the file's order; empty when there are none. */
    [[nodiscard]] QList<ConfusableRule> confusables(const QString& word) const { return m_confusables.value(word); }

    /** The phrase table in the file `name` + ".txt"; empty when there is none. */
    [[nodiscard]] QList<PhraseRule> phrases(const QString& name) const { return m_phrases.value(name); }

private:
    Lexicon() = default;

    void readWordNet(const QString& folder);
    void readIrregularVerbs(const QString& path);
    void readInstalledNames();

    QSet<QString> m_nouns;
    QSet<QString> m_verbs;
    QSet<QString> m_adjectives;
    QSet<QString> m_adverbs;
    QSet<QString> m_installedNames;
    QHash<QString, QString> m_nounOfPlural;
    QHash<QString, QString> m_pluralOfNoun;
    QHash<QString, QSet<QString>> m_lists;
    QHash<QString, int> m_frequency;
    QHash<QString, QString> m_misspellings;
    QHash<QString, QString> m_regularized;
    QHash<QString, QString> m_baseOfPast;
    QHash<QString, QString> m_participleOfPast;
    QSet<QString> m_unchangedPast;
    QSet<QString> m_participles;
    QHash<QString, QString> m_agreement;
    QHash<QString, QList<PhraseRule>> m_phrases;
    QHash<QString, QList<ConfusableRule>> m_confusables;
};

} // namespace quillora
