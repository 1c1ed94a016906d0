#pragma once

#include "rules/TextToken.h"

#include <QSet>

namespace quillora {

class Lexicon;
class SpellingDictionary;

/**
 * Marks the words that no correction may touch, by turning them into verbatim tokens before the
 * corrections run. Two kinds of words are protected among those no English dictionary knows:
 *
 * - technical ones: listed software and product names, and the names of the programs, manual pages
 *   and packages installed on this system; a word alone in quotation marks, and a few lower-case
 *   words in single ones; tokens next to code, paths, options or
 *   version numbers; camelCase; words without a vowel; words whose first or last two letters begin
 *   or end no English word ("gcloud", "systemd"); and lower-case words at the start of a sentence,
 *   which writers keep lower-case only for names of commands;
 * - other languages' words: a word with an accent, an apostrophe, a capital or quotation marks that an installed
 *   dictionary of another language knows ("Biergarten"), and every unknown word of a clause that
 *   holds two or more words of another language ("aber wir muessen"). A plain lower-case word
 *   alone is taken for a slip ("profesor").
 *
 * A listed common misspelling is still corrected unless it sits in another language's sentence.
 */
class WordProtector final
{
public:
    /** `otherLanguages` may be null when no other language's dictionary is installed. */
    WordProtector(const SpellingDictionary& english, const SpellingDictionary* otherLanguages, const Lexicon& lexicon);

    void protect(TokenList& tokens) const;

private:
    /** Marks a few lower-case words in single quotation marks as verbatim: 'who am i' is typed as written. */
    static void protectQuotedLiterals(TokenList& tokens);
    [[nodiscard]] bool isEnglish(const QString& word) const;
    [[nodiscard]] bool isListedCorrection(const QString& lower) const;
    [[nodiscard]] bool isOtherLanguage(const QString& word) const;
    /** An other language's word with an accent, apostrophe or capital, or `quoted`, alone among English words. */
    [[nodiscard]] bool isLoanWord(const QString& word, bool quoted) const;
    [[nodiscard]] bool looksTechnical(const TokenList& tokens, size_t index) const;
    [[nodiscard]] bool isTechnicalPart(const QString& part) const;
    /** True when two swapped neighbours, a doubled letter or an ending without its "e" make `lower` out of a known
     * word. */
    [[nodiscard]] bool isSlipOfKnownWord(const QString& lower) const;
    /** True when `lower` is a common word with one letter inserted, replaced or left out, or two swapped. */
    [[nodiscard]] bool isSlipOfCommonWord(const QString& lower) const;

    const SpellingDictionary& m_english;
    const SpellingDictionary* m_otherLanguages;
    const Lexicon& m_lexicon;
    /** Words the corrections table replaces on their own ("dont", "im"). */
    QSet<QString> m_correctedWords;
};

} // namespace quillora
