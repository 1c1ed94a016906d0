#pragma once

#include "rules/TextToken.h"

#include <QHash>
#include <QList>
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
    explicit PhraseRewriter(const QList<PhraseRule>& rules);

    /** Applies the rules once from left to right; replaced text is not matched again. */
    void apply(TokenList& tokens) const;

private:
    struct CompiledRule
    {
        QStringList pattern;
        TokenList replacement;
        PhraseRule::Where where;
    };

    /** The index just past the match of `rule` at `start`, or 0 when it does not match there. */
    size_t match(const TokenList& tokens, size_t start, const CompiledRule& rule) const;

    /** Rules by their first word, longest pattern first. */
    QHash<QString, QList<CompiledRule>> m_rules;
};

} // namespace quillora
