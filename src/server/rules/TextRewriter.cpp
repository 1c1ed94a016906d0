#include "server/rules/TextRewriter.h"

#include "server/rules/SentenceFormatter.h"

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

TextRewriter::TextRewriter(std::shared_ptr<const SpellingDictionary> dictionary)
    : m_corrector(std::move(dictionary))
    , m_grammar(m_corrector)
{
    for (size_t i = 0; i < kStyles.size(); ++i) {
        m_styles[i] = std::make_unique<PhraseRewriter>(StylePhrases::rules(kStyles[i]));
    }
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
    SentenceFormatter::fixSpacing(prepared.tokens);
    m_corrector.setBudget(kCorrectionBudget);
    m_grammar.fixWords(prepared.tokens);
    return prepared;
}

QString TextRewriter::render(const Prepared& prepared, RewriteStyle style) const
{
    TokenList tokens = prepared.tokens;
    if (style != RewriteStyle::FixGrammar) {
        m_styles[static_cast<size_t>(style)]->apply(tokens);
        GrammarFixer::fixArticles(tokens);
    }
    if (style == RewriteStyle::Professional) {
        collapseRepeatedMarks(tokens);
    }
    SentenceFormatter::tidy(tokens);
    SentenceFormatter::capitalize(tokens);
    SentenceFormatter::endLastSentence(tokens);
    return prepared.leadingSpace + TextTokenizer::join(tokens) + prepared.trailingSpace;
}

QString TextRewriter::rewrite(const QString& text, RewriteStyle style)
{
    return render(prepare(text), style);
}

} // namespace quillora
