#pragma once

#include "rules/ContextRules.h"
#include "rules/PhraseRewriter.h"
#include "rules/TextToken.h"

#include <QSet>

namespace quillora {

class Lexicon;
class SpellingCorrector;

/**
 * The word-level corrections every style starts from: the corrections table (missing
 * apostrophes, malapropisms), a word written twice ("the the"), "could of" for "could have",
 * misspellings, the context rules, and "a" or "an" before the next word's sound. Spacing, capitals
 * and the closing full stop are left to `SentenceFormatter`.
 */
class GrammarFixer final
{
public:
    GrammarFixer(SpellingCorrector& corrector, const Lexicon& lexicon);

    /** Applies every word-level correction to `tokens`. */
    void fixWords(TokenList& tokens) const;

    /** Chooses "a" or "an" before each word by its sound; used again after other rewrites. */
    void fixArticles(TokenList& tokens) const;

    /** The context rules alone (agreement, homophones, numerals), for text a style has rewritten. */
    void fixContext(TokenList& tokens) const;

private:
    void fixSpelling(TokenList& tokens) const;
    /** True when the word at `second` repeats the one before it as grammar allows ("had had"). */
    [[nodiscard]] bool isGrammaticalDouble(const TokenList& before, const TokenList& tokens, size_t second) const;
    [[nodiscard]] bool needsAn(const QString& word) const;

    SpellingCorrector& m_corrector;
    const Lexicon& m_lexicon;
    PhraseRewriter m_corrections;
    ContextRules m_context;
    QSet<QString> m_anSounds;
    QSet<QString> m_aSounds;
};

} // namespace quillora
