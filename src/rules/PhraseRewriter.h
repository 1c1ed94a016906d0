#pragma once

#include "rules/TextToken.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace quillora {

/** One phrase replacement of a writing style. */
struct PhraseRule
{
    enum class Where {
        Anywhere,
        /** Only as the first words of a sentence or a line (greetings, sign-offs, "However,"). */
        SentenceStart,
        /** Only when another word follows: "I am happy" may become "I'm happy", "Yes, I am." may not. */
        BeforeWord,
    };

    /** Lower-case words separated by spaces; a punctuation mark stands alone ("however ,"). */
    QString pattern;
    /** What replaces it; empty to drop the phrase. */
    QString replacement;
    Where where = Where::Anywhere;
};

/**
 * Replaces phrases in a token list, longest phrase first, ignoring case. A replacement keeps the
 * capital of the words it replaces. A dropped phrase takes a comma with it when it stood between
 * two commas or at the start of a sentence, so "This is, actually, fine" becomes
 * "This is fine" and "Basically, we" becomes "we".
 */
class PhraseRewriter final
{
public:
    /**
     * `danglingOpeners` are the words a sentence may not start with once a dropped phrase
     * left them first ("and", "that"). A phrase is dropped only when the sentence stays whole:
     * no orphaned or doubled punctuation, no sentence left empty or opening with such a word.
     */
    explicit PhraseRewriter(const QList<PhraseRule>& rules, QSet<QString> danglingOpeners = {});

    /** Applies the rules once from left to right; replaced text is not matched again. True when any applied. */
    bool apply(TokenList& tokens) const;

private:
    struct CompiledRule
    {
        QStringList pattern;
        TokenList replacement;
        PhraseRule::Where where;
    };

    /** The index just past the match of `rule` at `start`, or 0 when it does not match there. */
    size_t match(const TokenList& tokens, size_t start, const CompiledRule& rule) const;

    /** True when dropping the phrase from `start` to `end`, with `out` written so far, keeps the sentence whole. */
    [[nodiscard]] bool leavesSentenceWhole(const TokenList& tokens, size_t start, size_t end,
                                           const TokenList& out) const;

    QSet<QString> m_danglingOpeners;
    /** Rules by their first word, longest pattern first. */
    QHash<QString, QList<CompiledRule>> m_rules;
};

} // namespace quillora
