#pragma once

#include <QHash>
#include <QString>

#include <limits>
#include <memory>
#include <optional>

namespace quillora {

class Lexicon;
class SpellingDictionary;

/**
 * Corrects misspelled words against a `SpellingDictionary`. A word the dictionary knows is never
 * changed. An unknown word is replaced only when one correction stands out: a listed common
 * misspelling, the irregular past of a wrongly regular verb ("goed" to "went"), a lower-case word
 * that is a name ("monday" to "Monday"), else the known word one edit away that scores clearly
 * best on word frequency and on how likely the slip is (swapped or doubled letters, neighbouring
 * keys, vowels, a first letter kept); only when no word is one edit away, the word in use two
 * edits away that keeps the first letter, from five letters on. A word of four letters or fewer is
 * corrected only into an everyday word that two swapped letters or a letter typed twice hide
 * ("ahve"). Otherwise the word is left as written, as is chat shorthand ("btw", "lol"). The case
 * of the first letter is kept.
 * Remembers its answers, so a word is looked up once.
 */
class SpellingCorrector final
{
public:
    SpellingCorrector(std::shared_ptr<const SpellingDictionary> dictionary, std::shared_ptr<const Lexicon> lexicon);

    /**
     * The corrected spelling of `word`, or nothing when it is known or no single correction
     * stands out. Words that are probably names, acronyms or code (capitalised in mid-sentence,
     * mixed case, under three letters, or with characters other than letters) are never changed;
     * `sentenceStart` tells that a leading capital is only the sentence's.
     */
    [[nodiscard]] std::optional<QString> correct(const QString& word, bool sentenceStart);

    /**
     * Allows corrections for the next `unknownWords` words the dictionary does not know; later
     * ones are left as written. Searching for a correction is the costly part, and a long text in
     * another language would otherwise hold up the service.
     */
    void setBudget(int unknownWords);

private:
    std::optional<QString> lookUp(const QString& lower) const;
    /** The everyday word that two swapped letters or a letter typed twice make of the short `lower`, if one does. */
    std::optional<QString> shortSlip(const QString& lower) const;
    /** The candidate that stands out, if one does, and how many candidates were weighed. */
    struct Ranking
    {
        std::optional<QString> word;
        int weighed = 0;
    };
    Ranking best(const QString& lower, const QStringList& candidates, bool secondEdit) const;
    /** True when `lower` is two words of four letters or more that WordNet knows, run together. */
    bool isCompound(const QString& lower) const;
    /** True when WordNet knows `word` or the word it is an inflection of. */
    bool inWordNet(const QString& word) const;
    QStringList twoEditsAway(const QString& lower) const;
    /** How common `word` is, from its own count or that of its base form ("allocations", "allocating"). */
    int usage(const QString& word) const;
    double slipLikelihood(const QString& word, const QString& candidate) const;
    /** How likely the slip is that makes `word` of `candidate`, where they first differ at `start`. */
    double slipAt(const QString& word, const QString& candidate, qsizetype start) const;
    QHash<QString, QString>::const_iterator remember(const QString& lower, const QString& answer);

    std::shared_ptr<const SpellingDictionary> m_dictionary;
    std::shared_ptr<const Lexicon> m_lexicon;
    /** Lower-case word to its correction: itself when it is known, an empty text when there is none. */
    QHash<QString, QString> m_answers;
    int m_budget = std::numeric_limits<int>::max();
};

} // namespace quillora
