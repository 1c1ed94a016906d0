#pragma once

#include <QHash>
#include <QString>

#include <limits>
#include <memory>
#include <optional>

namespace quillora {

class SpellingDictionary;

/**
 * Corrects misspelled words against a `SpellingDictionary`. A word the dictionary does not know is
 * replaced only when one correction stands out: a lower-case word that is a name ("monday" to
 * "Monday"), else the most frequent everyday word one edit away, else (from four letters on) the
 * word made by swapping two neighbouring letters, else the only known word one edit away.
 * Otherwise the word is left as written, as is chat shorthand ("btw", "lol"). The case of the
 * first letter is kept.
 * Remembers its answers, so a word is looked up once.
 */
class SpellingCorrector final
{
public:
    explicit SpellingCorrector(std::shared_ptr<const SpellingDictionary> dictionary);

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
    std::optional<QString> lookUp(const QString& lower);
    QHash<QString, QString>::const_iterator remember(const QString& lower, const QString& answer);

    std::shared_ptr<const SpellingDictionary> m_dictionary;
    /** Lower-case word to its correction: itself when it is known, an empty text when there is none. */
    QHash<QString, QString> m_answers;
    int m_budget = std::numeric_limits<int>::max();
};

} // namespace quillora
