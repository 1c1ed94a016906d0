#include "rules/PhraseRewriter.h"

#include "rules/SentenceFormatter.h"

#include <algorithm>

namespace quillora {

namespace {

using Kind = TextToken::Kind;

QString normalized(const QString& word)
{
    QString lower = word.toLower();
    lower.replace(QChar(0x2019), QLatin1Char('\''));
    return lower;
}

bool isAllCaps(const QString& word)
{
    return word.size() > 1 && word == word.toUpper() && word != word.toLower();
}

/** The pronoun "I" is capitalised anywhere, so its capital says nothing about the sentence. */
bool isPronounI(const QString& word)
{
    return word == QLatin1String("I") || word.startsWith(QLatin1String("I'")) ||
           word.startsWith(QStringLiteral("I\u2019"));
}

TokenList casedReplacement(const TokenList& replacement, const TokenList& matched)
{
    TokenList result = replacement;
    if (result.empty()) {
        return result;
    }
    bool allCaps = true;
    for (const TextToken& token : matched) {
        allCaps = allCaps && (!token.is(Kind::Word) || isAllCaps(token.text));
    }
    const QString& first = matched.front().text;
    for (TextToken& token : result) {
        if (token.is(Kind::Word) && allCaps) {
            token.text = token.text.toUpper();
        }
    }
    TextToken& lead = result.front();
    if (lead.is(Kind::Word) && first.at(0).isUpper() && !isPronounI(first)) {
        lead.text[0] = lead.text.at(0).toUpper();
    }
    return result;
}

/**
 * True when the comma at `comma` closes a short aside that opened with a comma of its own: the
 * second comma of "We were, like, really, tired", which must stay when "really" goes.
 */
bool closesAside(const TokenList& tokens, size_t comma)
{
    constexpr int kWordsOfAside = 3;
    int words = 0;
    for (size_t k = comma; k-- > 0;) {
        if (tokens[k].is(Kind::Word)) {
            ++words;
        } else if (!tokens[k].is(Kind::Space)) {
            return tokens[k].isPunct(QLatin1Char(',')) && words > 0 && words <= kWordsOfAside;
        }
    }
    return false;
}

size_t skipSpace(const TokenList& tokens, size_t index)
{
    return index < tokens.size() && tokens[index].is(Kind::Space) ? index + 1 : index;
}

} // namespace

PhraseRewriter::PhraseRewriter(const QList<PhraseRule>& rules, QSet<QString> danglingOpeners)
    : m_danglingOpeners(std::move(danglingOpeners))
{
    for (const PhraseRule& rule : rules) {
        CompiledRule compiled{rule.pattern.split(QLatin1Char(' '), Qt::SkipEmptyParts),
                              TextTokenizer::tokenize(rule.replacement), rule.where};
        m_rules[compiled.pattern.first()].append(std::move(compiled));
    }
    for (QList<CompiledRule>& list : m_rules) {
        std::stable_sort(list.begin(), list.end(), [](const CompiledRule& a, const CompiledRule& b) {
            return a.pattern.size() > b.pattern.size();
        });
    }
}

size_t PhraseRewriter::match(const TokenList& tokens, size_t start, const CompiledRule& rule) const
{
    size_t index = start + 1;
    for (qsizetype k = 1; k < rule.pattern.size(); ++k) {
        const QString& element = rule.pattern.at(k);
        if (!element.at(0).isLetter()) {
            if (index >= tokens.size() || !tokens[index].is(Kind::Punct) || tokens[index].text != element) {
                return 0;
            }
            ++index;
            continue;
        }
        if (index + 1 >= tokens.size() || !tokens[index].is(Kind::Space) || !tokens[index + 1].is(Kind::Word) ||
            normalized(tokens[index + 1].text) != element) {
            return 0;
        }
        index += 2;
    }
    if (rule.where == PhraseRule::Where::SentenceStart && !SentenceFormatter::startsSentence(tokens, start)) {
        return 0;
    }
    if (rule.where == PhraseRule::Where::BeforeWord) {
        const size_t next = skipSpace(tokens, index);
        if (next == index || next >= tokens.size() || !tokens[next].is(Kind::Word)) {
            return 0;
        }
    }
    return index;
}

bool PhraseRewriter::leavesSentenceWhole(const TokenList& tokens, size_t start, size_t end, const TokenList& out) const
{
    size_t next = skipSpace(tokens, end);
    size_t back = out.size();
    while (back > 0 && out[back - 1].is(Kind::Space)) {
        --back;
    }
    // An earlier drop may have left the phrase first in its sentence.
    const bool atStart = SentenceFormatter::startsSentence(tokens, start) || back == 0 ||
                         out[back - 1].endsSentence() || out[back - 1].is(Kind::Newline);
    const bool commaBefore = back > 0 && out[back - 1].isPunct(QLatin1Char(','));
    // The comma after a dropped opener or aside goes with it (see `apply`); look past it.
    if (next < tokens.size() && tokens[next].isPunct(QLatin1Char(',')) && (atStart || commaBefore)) {
        next = skipSpace(tokens, next + 1);
    }
    if (next >= tokens.size() || tokens[next].is(Kind::Newline)) {
        // "Really." alone: dropping the phrase would leave no sentence.
        return !atStart;
    }
    const TextToken& following = tokens[next];
    // "Actually. We left." would keep an orphaned full stop; ", really, ." a doubled mark.
    if (following.is(Kind::Punct) && !following.isPunct(QLatin1Char('(')) &&
        (atStart || (back > 0 && out[back - 1].is(Kind::Punct) && !commaBefore))) {
        return false;
    }
    // "Basically, and then we left": a sentence must not open with a joining word.
    return !(atStart && following.is(Kind::Word) && m_danglingOpeners.contains(normalized(following.text)));
}

bool PhraseRewriter::apply(TokenList& tokens) const
{
    bool changed = false;
    TokenList out;
    out.reserve(tokens.size());
    size_t i = 0;
    while (i < tokens.size()) {
        const TextToken& token = tokens[i];
        const auto candidates = token.is(Kind::Word) ? m_rules.constFind(normalized(token.text)) : m_rules.constEnd();
        size_t end = 0;
        const CompiledRule* matched = nullptr;
        if (candidates != m_rules.constEnd()) {
            for (const CompiledRule& rule : *candidates) {
                end = match(tokens, i, rule);
                if (end != 0) {
                    matched = &rule;
                    break;
                }
            }
        }
        if (matched == nullptr) {
            out.push_back(token);
            ++i;
            continue;
        }
        const TokenList replaced(tokens.begin() + static_cast<qsizetype>(i),
                                 tokens.begin() + static_cast<qsizetype>(end));
        const TokenList replacement = casedReplacement(matched->replacement, replaced);
        if (replacement.empty() && !leavesSentenceWhole(tokens, i, end, out)) {
            out.push_back(token);
            ++i;
            continue;
        }
        if (replacement.empty()) {
            const size_t next = skipSpace(tokens, end);
            const bool commaFollows = next < tokens.size() && tokens[next].isPunct(QLatin1Char(','));
            size_t back = out.size();
            while (back > 0 && out[back - 1].is(Kind::Space)) {
                --back;
            }
            const bool commaBefore = back > 0 && out[back - 1].isPunct(QLatin1Char(','));
            if (commaFollows && (commaBefore || SentenceFormatter::startsSentence(tokens, i))) {
                if (commaBefore && !closesAside(out, back - 1)) {
                    out.erase(out.begin() + static_cast<qsizetype>(back - 1));
                }
                end = next + 1;
            }
        }
        out.insert(out.end(), replacement.begin(), replacement.end());
        changed = true;
        i = end;
    }
    tokens = std::move(out);
    return changed;
}

} // namespace quillora
