#include "rules/GrammarFixer.h"

#include "rules/Lexicon.h"
#include "rules/SentenceFormatter.h"
#include "rules/SpellingCorrector.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace quillora {

namespace {

using Kind = TextToken::Kind;

bool startsWithAny(const QString& word, const QSet<QString>& prefixes)
{
    for (const QString& prefix : prefixes) {
        if (word.startsWith(prefix)) {
            return true;
        }
    }
    return false;
}

/**
 * True for a word in capitals that may be said as a word rather than letter by letter: a vowel
 * after its first letter ("FIDO", "SAML", "STANDBY"). Which article it takes is the writer's call.
 */
bool isSpokenAcronym(const QString& word)
{
    if (word.size() < 2 || word != word.toUpper()) {
        return false;
    }
    for (qsizetype i = 1; i < word.size(); ++i) {
        if (QStringLiteral("AEIOU").contains(word.at(i))) {
            return true;
        }
    }
    return false;
}

bool isWordAt(const TokenList& tokens, size_t index)
{
    return index < tokens.size() && tokens[index].is(Kind::Word);
}

} // namespace

bool GrammarFixer::needsAn(const QString& word) const
{
    if (word == word.toUpper() && word.at(0).isLetter()) {
        // An acronym is read letter by letter: "an FBI agent", "a UN report".
        return QStringLiteral("AEFHILMNORSX").contains(word.at(0));
    }
    const QString lower = word.toLower();
    if (startsWithAny(lower, m_anSounds)) {
        return true;
    }
    if (startsWithAny(lower, m_aSounds)) {
        return false;
    }
    return QStringLiteral("aeiou").contains(lower.at(0));
}

GrammarFixer::GrammarFixer(SpellingCorrector& corrector, const Lexicon& lexicon)
    : m_corrector(corrector)
    , m_lexicon(lexicon)
    , m_corrections(lexicon.phrases(QStringLiteral("corrections")))
    , m_context(lexicon)
    , m_anSounds(lexicon.list(QStringLiteral("an-sounds")))
    , m_aSounds(lexicon.list(QStringLiteral("a-sounds")))
{
}

bool GrammarFixer::isGrammaticalDouble(const TokenList& before, const TokenList& tokens, size_t second) const
{
    const QString lower = tokens[second].text.toLower();
    if (m_lexicon.inList(QStringLiteral("legitimate-doubles"), lower)) {
        return true;
    }
    // "What it does is is slow": a pseudo-cleft's subject clause ends in its own "is".
    if (lower == QLatin1String("is") || lower == QLatin1String("was")) {
        for (size_t k = before.size(); k-- > 0 && !before[k].endsSentence() && !before[k].is(Kind::Newline);) {
            if (before[k].is(Kind::Word) && (before[k].text.compare(QLatin1String("what"), Qt::CaseInsensitive) == 0 ||
                                             before[k].text.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0)) {
                return true;
            }
        }
    }
    // "We can can the peaches", "you will will it": a modal before the verb it sounds like, with an object.
    if (m_lexicon.inList(QStringLiteral("modal-homonyms"), lower) && isWordAt(tokens, second + 2)) {
        const QString object = tokens[second + 2].text.toLower();
        return m_lexicon.inList(QStringLiteral("determiners"), object) ||
               m_lexicon.inList(QStringLiteral("object-pronouns"), object) || object == QLatin1String("it");
    }
    return false;
}

void GrammarFixer::fixWords(TokenList& tokens) const
{
    m_corrections.apply(tokens);
    TokenList out;
    out.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        TextToken token = tokens[i];
        if (token.is(Kind::Word)) {
            const QString lower = token.text.toLower();
            // "the the": the second word goes, with the space before it.
            if (out.size() >= 2 && out.back().is(Kind::Space) && out[out.size() - 2].is(Kind::Word) &&
                out[out.size() - 2].text.compare(token.text, Qt::CaseInsensitive) == 0 &&
                !isGrammaticalDouble(out, tokens, i)) {
                out.pop_back();
                continue;
            }
            if (lower == QLatin1String("of") && out.size() >= 2 && out.back().is(Kind::Space) &&
                out[out.size() - 2].is(Kind::Word) &&
                m_lexicon.inList(QStringLiteral("modals-of"), out[out.size() - 2].text.toLower())) {
                token.text = QStringLiteral("have");
            }
        }
        out.push_back(std::move(token));
    }
    tokens = std::move(out);
    fixSpelling(tokens);
    m_context.apply(tokens);
    fixArticles(tokens);
}

void GrammarFixer::fixContext(TokenList& tokens) const
{
    m_context.apply(tokens);
}

void GrammarFixer::fixSpelling(TokenList& tokens) const
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is(Kind::Word)) {
            continue;
        }
        const bool sentenceStart = SentenceFormatter::startsSentence(tokens, i);
        QStringList parts = tokens[i].text.split(QLatin1Char('-'));
        bool changed = false;
        for (qsizetype p = 0; p < parts.size(); ++p) {
            // The parts of a compound are often names ("gpg-agent"); only listed misspellings are fixed there.
            if (parts.size() > 1 && m_lexicon.misspelling(parts.at(p).toLower()).isEmpty()) {
                continue;
            }
            if (auto corrected = m_corrector.correct(parts.at(p), sentenceStart && p == 0)) {
                // A wrongly regular past after "be" stands for the participle: "are drawed", "are drawn".
                const QString participle = m_lexicon.participleOfPast(corrected->toLower());
                if (!participle.isEmpty() && !m_lexicon.irregularPast(parts.at(p).toLower()).isEmpty() && i >= 2 &&
                    tokens[i - 1].is(Kind::Space) && tokens[i - 2].is(Kind::Word) &&
                    m_lexicon.inList(QStringLiteral("passive-auxiliaries"), tokens[i - 2].text.toLower())) {
                    corrected = participle;
                }
                parts[p] = *corrected;
                changed = true;
            }
        }
        if (changed) {
            tokens[i].text = parts.join(QLatin1Char('-'));
        }
    }
}

void GrammarFixer::fixArticles(TokenList& tokens) const
{
    for (size_t i = 0; i + 2 < tokens.size(); ++i) {
        TextToken& article = tokens[i];
        if (!article.is(Kind::Word) || !tokens[i + 1].is(Kind::Space) || !isWordAt(tokens, i + 2)) {
            continue;
        }
        const QString lower = article.text.toLower();
        if (lower != QLatin1String("a") && lower != QLatin1String("an")) {
            continue;
        }
        const QString& next = tokens[i + 2].text;
        // A capital "A" inside a sentence is usually a name or a label ("Plan A is"), not an article.
        const bool label = article.text == QLatin1String("A") && !SentenceFormatter::startsSentence(tokens, i);
        // "a SQL query" and "an SQL query" are both written: a listed acronym's article is kept too.
        if (label || !next.at(0).isLetter() || isSpokenAcronym(next) ||
            (next == next.toUpper() && m_lexicon.inList(QStringLiteral("spoken-acronyms"), next.toLower()))) {
            continue;
        }
        const bool upper = article.text.at(0).isUpper();
        const QString wanted = needsAn(next) ? QStringLiteral("an") : QStringLiteral("a");
        if (wanted.compare(article.text, Qt::CaseInsensitive) == 0) {
            continue;
        }
        article.text = upper ? wanted.left(1).toUpper() + wanted.mid(1) : wanted;
    }
}

} // namespace quillora
