#include "rules/TextRewriter.h"

#include "rules/Lexicon.h"
#include "rules/SentenceFormatter.h"
#include "rules/SpellingDictionary.h"

#include <algorithm>

namespace quillora {

namespace {

// Unknown words per text that may be corrected; see SpellingCorrector::setBudget.
constexpr int kCorrectionBudget = 24;

constexpr std::array<RewriteStyle, 4> kStyles = {RewriteStyle::FixGrammar, RewriteStyle::Professional,
                                                 RewriteStyle::Casual, RewriteStyle::Concise};

/** Professional writing uses one exclamation or question mark, not a run of them. */
void collapseRepeatedMarks(TokenList& tokens)
{
    TokenList out;
    out.reserve(tokens.size());
    for (const TextToken& token : tokens) {
        const bool mark = token.isPunct(QLatin1Char('!')) || token.isPunct(QLatin1Char('?'));
        if (mark && !out.empty() && (out.back().isPunct(QLatin1Char('!')) || out.back().isPunct(QLatin1Char('?')))) {
            continue;
        }
        out.push_back(token);
    }
    tokens = std::move(out);
}

} // namespace

TextRewriter::TextRewriter(std::shared_ptr<const SpellingDictionary> dictionary, std::shared_ptr<const Lexicon> lexicon,
                           std::shared_ptr<const SpellingDictionary> otherLanguages)
    : m_dictionary(dictionary)
    , m_lexicon(lexicon)
    , m_otherLanguages(std::move(otherLanguages))
    , m_protector(*dictionary, m_otherLanguages.get(), *lexicon)
    , m_corrector(std::move(dictionary), lexicon)
    , m_grammar(m_corrector, *lexicon)
{
    for (size_t i = 0; i < kStyles.size(); ++i) {
        m_styles[i] = std::make_unique<PhraseRewriter>(StylePhrases::rules(kStyles[i], *lexicon),
                                                       lexicon->list(QStringLiteral("dangling-openers")));
    }
}

bool TextRewriter::isEnglish(const TokenList& tokens, size_t begin, size_t end) const
{
    int words = 0;
    int known = 0;
    bool functionWord = false;
    for (size_t i = begin; i < end; ++i) {
        if (!tokens[i].is(TextToken::Kind::Word)) {
            continue;
        }
        const QString& word = tokens[i].text;
        // A capital inside a sentence marks a name, which says nothing about the language.
        if (word.at(0).isUpper() && !SentenceFormatter::startsSentence(tokens, i)) {
            continue;
        }
        const QString lower = word.toLower();
        ++words;
        functionWord = functionWord || m_lexicon->inList(QStringLiteral("english-only-words"), lower);
        if (m_dictionary->isKnown(word) || !m_lexicon->misspelling(lower).isEmpty() ||
            m_lexicon->inList(QStringLiteral("shorthand"), lower)) {
            ++known;
        }
    }
    // Misspellings lower the share in English too, so a sentence with English function words may have more.
    const double share = words == 0 ? 1.0 : static_cast<double>(known) / words;
    return words < 2 || share >= 0.8 || (functionWord && share >= 0.5);
}

bool TextRewriter::protectForeignSentences(TokenList& tokens) const
{
    TokenList out;
    out.reserve(tokens.size());
    size_t begin = 0;
    int englishSentences = 0;
    int foreignSentences = 0;
    for (size_t i = 0; i <= tokens.size(); ++i) {
        const bool end = i == tokens.size() || tokens[i].endsSentence() || tokens[i].is(TextToken::Kind::Newline);
        if (!end) {
            continue;
        }
        // The sentence runs up to and including its closing mark.
        const size_t stop = i < tokens.size() && tokens[i].endsSentence() ? i + 1 : i;
        const bool hasWords =
            std::any_of(tokens.begin() + static_cast<qsizetype>(begin), tokens.begin() + static_cast<qsizetype>(stop),
                        [](const TextToken& token) { return token.is(TextToken::Kind::Word); });
        if (isEnglish(tokens, begin, stop)) {
            englishSentences += hasWords ? 1 : 0;
            out.insert(out.end(), tokens.begin() + static_cast<qsizetype>(begin),
                       tokens.begin() + static_cast<qsizetype>(stop));
        } else {
            ++foreignSentences;
            const TokenList sentence(tokens.begin() + static_cast<qsizetype>(begin),
                                     tokens.begin() + static_cast<qsizetype>(stop));
            out.push_back({TextToken::Kind::Verbatim, TextTokenizer::join(sentence)});
        }
        if (stop == i && i < tokens.size()) {
            out.push_back(tokens[i]);
        }
        begin = i + 1;
    }
    tokens = std::move(out);
    return foreignSentences > 0 && englishSentences == 0;
}

TextRewriter::Prepared TextRewriter::prepare(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace()) {
        ++start;
    }
    qsizetype end = text.size();
    while (end > start && text.at(end - 1).isSpace()) {
        --end;
    }
    Prepared prepared{text.left(start), text.mid(end), TextTokenizer::tokenize(text.mid(start, end - start))};
    prepared.notEnglish = protectForeignSentences(prepared.tokens);
    SentenceFormatter::fixSpacing(prepared.tokens);
    m_protector.protect(prepared.tokens);
    m_corrector.setBudget(kCorrectionBudget);
    m_grammar.fixWords(prepared.tokens);
    return prepared;
}

QString TextRewriter::render(const Prepared& prepared, RewriteStyle style) const
{
    TokenList tokens = prepared.tokens;
    bool rewritten = false;
    if (style != RewriteStyle::FixGrammar) {
        rewritten = m_styles[static_cast<size_t>(style)]->apply(tokens);
        m_grammar.fixArticles(tokens);
    }
    // A shorter subject ("the majority of users" made "most users") or a dropped phrase that stood
    // between a subject and its verb leaves them to be checked again.
    if (style == RewriteStyle::Concise && rewritten) {
        m_grammar.fixContext(tokens);
    }
    if (style == RewriteStyle::Professional) {
        collapseRepeatedMarks(tokens);
    }
    SentenceFormatter::tidy(tokens);
    SentenceFormatter::capitalize(tokens);
    return prepared.leadingSpace + TextTokenizer::join(tokens) + prepared.trailingSpace;
}

QString TextRewriter::rewrite(const QString& text, RewriteStyle style)
{
    return render(prepare(text), style);
}

} // namespace quillora
