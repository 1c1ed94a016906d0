#pragma once

#include <QString>

#include <vector>

namespace quillora {

/** One piece of a text as the rule-based rewriter sees it. */
struct TextToken
{
    enum class Kind {
        /** Letters, with inner apostrophes and hyphens ("don't", "well-known"). */
        Word,
        /** A single space between two tokens on one line. */
        Space,
        /** One line break, or two for a paragraph break. */
        Newline,
        /** One punctuation character. */
        Punct,
        /** Text the rules must leave alone: addresses, numbers, code, abbreviations, emoticons. */
        Verbatim,
    };

    Kind kind = Kind::Word;
    QString text;

    [[nodiscard]] bool is(Kind other) const { return kind == other; }
    [[nodiscard]] bool isPunct(QChar c) const { return kind == Kind::Punct && text.size() == 1 && text.at(0) == c; }
    /** A full stop, question mark, exclamation mark or ellipsis. */
    [[nodiscard]] bool endsSentence() const;
    /** An opening bracket or quotation mark. */
    [[nodiscard]] bool opens() const;
    /** A closing bracket or quotation mark. */
    [[nodiscard]] bool closes() const;
};

using TokenList = std::vector<TextToken>;

/**
 * Splits text into tokens and joins them back. Runs of spaces and tabs become one space; runs of
 * line breaks become one line break, or two when there was a blank line.
 */
class TextTokenizer final
{
public:
    [[nodiscard]] static TokenList tokenize(const QString& text);
    [[nodiscard]] static QString join(const TokenList& tokens);
};

} // namespace quillora
