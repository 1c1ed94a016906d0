#pragma once

#include "server/rules/TextToken.h"

namespace quillora {

class SpellingCorrector;

/**
 * The word-level corrections of the "Fix Grammar" pass: missing apostrophes ("dont", "im"), the
 * pronoun "i", misspellings, a word written twice ("the the"), "could of" for "could have", and
 * "a" or "an" before the next word's sound. Spacing, capitals and the closing full stop are left
 * to `SentenceFormatter`.
 */
class GrammarFixer final
{
public:
    explicit GrammarFixer(SpellingCorrector& corrector);

    /** Applies every word-level correction to `tokens`. */
    void fixWords(TokenList& tokens);

    /** Chooses "a" or "an" before each word by its sound; used again after other rewrites. */
    static void fixArticles(TokenList& tokens);

private:
    void fixSpelling(TokenList& tokens);

    SpellingCorrector& m_corrector;
};

} // namespace quillora
