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
 * - technical ones: listed software and product names; tokens next to code, paths, options or
 *   version numbers; camelCase; words without a vowel; words whose first or last two letters begin
 *   or end no English word ("gcloud", "systemd"); and lower-case words at the start of a sentence,
 *   which writers keep lower-case only for names of commands;
 * - other languages' words: a word that an installed dictionary of another language knows, and
 *   every unknown word of a clause that holds two or more such words ("aber wir muessen").
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
    [[nodiscard]] bool isEnglish(const QString& word) const;
    [[nodiscard]] bool isListedCorrection(const QString& lower) const;
    [[nodiscard]] bool isOtherLanguage(const QString& word) const;
    [[nodiscard]] bool looksTechnical(const TokenList& tokens, size_t index) const;
    [[nodiscard]] bool isTechnicalPart(const QString& part) const;
    [[nodiscard]] bool hasSwappedNeighbours(const QString& lower) const;

    const SpellingDictionary& m_english;
    const SpellingDictionary* m_otherLanguages;
    const Lexicon& m_lexicon;
    /** Words the corrections table replaces on their own ("dont", "im"). */
    QSet<QString> m_correctedWords;
};

} // namespace quillora
