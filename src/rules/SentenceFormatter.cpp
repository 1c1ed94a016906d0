#include "rules/SentenceFormatter.h"

namespace quillora {

namespace {

using Kind = TextToken::Kind;

bool isClosingPunctuation(const TextToken& token)
{
    return token.is(Kind::Punct) && token.text.size() == 1 &&
           QStringLiteral(",.;:!?)]}\u2026\u201D").contains(token.text.at(0));
}

bool startsWithLetter(const TextToken& token)
{
    return token.is(Kind::Word) && !token.text.isEmpty() && token.text.at(0).isLetter();
}

bool isLowerCaseWord(const QString& word)
{
    return !word.isEmpty() && word.at(0).isLower() && word == word.toLower();
}

/** Index of the previous token that is not a space, or -1. */
qsizetype previousSolid(const TokenList& tokens, qsizetype index)
{
    qsizetype j = index - 1;
    while (j >= 0 && tokens[static_cast<size_t>(j)].is(Kind::Space)) {
        --j;
    }
    return j;
}

/** Index of the next token that is not a space, or the list's size. */
size_t nextSolid(const TokenList& tokens, size_t index)
{
    size_t j = index + 1;
    while (j < tokens.size() && tokens[j].is(Kind::Space)) {
        ++j;
    }
    return j;
}

} // namespace

bool SentenceFormatter::startsSentence(const TokenList& tokens, size_t index)
{
    qsizetype j = static_cast<qsizetype>(index) - 1;
    bool afterClosingMark = false;
    while (j >= 0) {
        const TextToken& token = tokens[static_cast<size_t>(j)];
        if (token.is(Kind::Space) || ((token.opens() || token.closes()) && !token.endsSentence())) {
            afterClosingMark = afterClosingMark || token.closes();
            --j;
            continue;
        }
        if (token.endsSentence() && afterClosingMark && index < tokens.size() && isLowerCaseWord(tokens[index].text)) {
            // '"Ready?" he asked': a quotation that ends in "?" or "!" goes on with a lower-case word.
            return false;
        }
        return token.is(Kind::Newline) || token.endsSentence();
    }
    return true;
}

void SentenceFormatter::fixSpacing(TokenList& tokens)
{
    TokenList out;
    out.reserve(tokens.size() + 4);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        const TextToken* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
        if (token.is(Kind::Space) && next != nullptr && isClosingPunctuation(*next)) {
            continue;
        }
        if (token.isPunct(QLatin1Char(',')) && next != nullptr && next->isPunct(QLatin1Char(','))) {
            continue;
        }
        out.push_back(token);
        if ((token.isPunct(QLatin1Char('(')) || token.isPunct(QLatin1Char('['))) && next != nullptr &&
            next->is(Kind::Space)) {
            ++i;
            continue;
        }
        if (next == nullptr || !startsWithLetter(*next)) {
            continue;
        }
        // A colon between two words without a space is the writer's ("key:value", "major:minor").
        const bool separator = token.isPunct(QLatin1Char(',')) || token.isPunct(QLatin1Char(';'));
        const bool sentenceEnd = (token.isPunct(QLatin1Char('.')) && next->text.at(0).isUpper()) ||
                                 token.isPunct(QLatin1Char('!')) || token.isPunct(QLatin1Char('?'));
        if (separator || sentenceEnd) {
            out.push_back({Kind::Space, QStringLiteral(" ")});
        }
    }
    tokens = std::move(out);
}

void SentenceFormatter::tidy(TokenList& tokens)
{
    TokenList out;
    out.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TextToken& token = tokens[i];
        if (token.is(Kind::Space)) {
            const bool afterBreak = out.empty() || out.back().is(Kind::Space) || out.back().is(Kind::Newline);
            const bool beforeBreak = i + 1 >= tokens.size() || tokens[i + 1].is(Kind::Newline);
            if (afterBreak || beforeBreak) {
                continue;
            }
        }
        if (token.is(Kind::Newline) && !out.empty() && out.back().is(Kind::Space)) {
            out.pop_back();
        }
        if (token.isPunct(QLatin1Char(','))) {
            const qsizetype before = previousSolid(out, static_cast<qsizetype>(out.size()));
            const bool atStart = before < 0 || out[static_cast<size_t>(before)].is(Kind::Newline) ||
                                 out[static_cast<size_t>(before)].endsSentence() ||
                                 out[static_cast<size_t>(before)].isPunct(QLatin1Char(','));
            const size_t after = nextSolid(tokens, i);
            const bool beforePunctuation =
                after < tokens.size() && isClosingPunctuation(tokens[after]) && !tokens[after].closes();
            if (atStart || beforePunctuation) {
                continue;
            }
        }
        out.push_back(token);
    }
    while (!out.empty() && out.back().is(Kind::Space)) {
        out.pop_back();
    }
    tokens = std::move(out);
    fixSpacing(tokens);
}

void SentenceFormatter::capitalize(TokenList& tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        TextToken& token = tokens[i];
        if (!token.is(Kind::Word)) {
            continue;
        }
        QString& word = token.text;
        if (word == QLatin1String("i") ||
            (word.size() > 2 && word.at(0) == QLatin1Char('i') &&
             (word.at(1) == QLatin1Char('\'') || word.at(1) == QChar(0x2019)) && word == word.toLower())) {
            word[0] = QLatin1Char('I');
        } else if (isLowerCaseWord(word) && startsSentence(tokens, i)) {
            word[0] = word.at(0).toUpper();
        }
    }
}

} // namespace quillora
