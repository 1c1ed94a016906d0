#pragma once

#include "server/rules/TextToken.h"

namespace quillora {

/** Spacing, capitals and closing punctuation over a token list. */
class SentenceFormatter final
{
public:
    /**
     * Removes spaces before closing punctuation and after opening brackets, doubled commas, and
     * adds the missing space after a comma, semicolon or colon before a word, and after a full
     * stop, question or exclamation mark before a capital.
     */
    static void fixSpacing(TokenList& tokens);

    /**
     * Cleans up after words were removed: doubled spaces, spaces at line ends, a comma left at the
     * start of a sentence or right before other punctuation.
     */
    static void tidy(TokenList& tokens);

    /** Capitalises the first word of each sentence and each line, and the pronoun "I". */
    static void capitalize(TokenList& tokens);

    /** Ends the text with a full stop when it ends with a Latin-script word and has at least three words. */
    static void endLastSentence(TokenList& tokens);

    /** True when the token at `index` is the first word of a sentence or a line. */
    [[nodiscard]] static bool startsSentence(const TokenList& tokens, size_t index);
};

} // namespace quillora
