#include "server/rules/GrammarFixer.h"

#include "server/rules/SentenceFormatter.h"
#include "server/rules/SpellingCorrector.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace quillora {

namespace {

using Kind = TextToken::Kind;

const QHash<QString, QString>& missingApostrophes()
{
    static const QHash<QString, QString> table = {
        {QStringLiteral("dont"), QStringLiteral("don't")},
        {QStringLiteral("doesnt"), QStringLiteral("doesn't")},
        {QStringLiteral("didnt"), QStringLiteral("didn't")},
        {QStringLiteral("isnt"), QStringLiteral("isn't")},
        {QStringLiteral("arent"), QStringLiteral("aren't")},
        {QStringLiteral("wasnt"), QStringLiteral("wasn't")},
        {QStringLiteral("werent"), QStringLiteral("weren't")},
        {QStringLiteral("havent"), QStringLiteral("haven't")},
        {QStringLiteral("hasnt"), QStringLiteral("hasn't")},
        {QStringLiteral("hadnt"), QStringLiteral("hadn't")},
        {QStringLiteral("wouldnt"), QStringLiteral("wouldn't")},
        {QStringLiteral("shouldnt"), QStringLiteral("shouldn't")},
        {QStringLiteral("couldnt"), QStringLiteral("couldn't")},
        {QStringLiteral("wouldve"), QStringLiteral("would've")},
        {QStringLiteral("couldve"), QStringLiteral("could've")},
        {QStringLiteral("shouldve"), QStringLiteral("should've")},
        {QStringLiteral("im"), QStringLiteral("I'm")},
        {QStringLiteral("ive"), QStringLiteral("I've")},
        {QStringLiteral("youre"), QStringLiteral("you're")},
        {QStringLiteral("youve"), QStringLiteral("you've")},
        {QStringLiteral("youll"), QStringLiteral("you'll")},
        {QStringLiteral("theyre"), QStringLiteral("they're")},
        {QStringLiteral("theyve"), QStringLiteral("they've")},
        {QStringLiteral("theyll"), QStringLiteral("they'll")},
        {QStringLiteral("weve"), QStringLiteral("we've")},
        {QStringLiteral("thats"), QStringLiteral("that's")},
        {QStringLiteral("whats"), QStringLiteral("what's")},
        {QStringLiteral("theres"), QStringLiteral("there's")},
        {QStringLiteral("alot"), QStringLiteral("a lot")},
    };
    return table;
}

/** "its" before these words is almost always "it's": "its been", "its a shame", "its not". */
bool startsClauseAfterIts(const QString& lower)
{
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const QString& word : QStringLiteral("a an the been not going gonna so too very really just also still "
                                                  "all about time important ok okay fine hard easy true over getting "
                                                  "probably likely always never already raining late early")
                                       .split(QLatin1Char(' '))) {
            set.insert(word);
        }
        return set;
    }();
    return words.contains(lower);
}

QString withCaseOf(const QString& original, QString replacement)
{
    if (original.at(0).isUpper() && !replacement.startsWith(QLatin1String("I'"))) {
        replacement[0] = replacement.at(0).toUpper();
    }
    return replacement;
}

bool needsAn(const QString& word)
{
    if (word.size() > 1 && word == word.toUpper()) {
        // An acronym is read letter by letter: "an FBI agent", "a UN report".
        return QStringLiteral("AEFHILMNORSX").contains(word.at(0));
    }
    const QString lower = word.toLower();
    static const QStringList silentH = {QStringLiteral("hour"), QStringLiteral("honest"), QStringLiteral("honor"),
                                        QStringLiteral("honour"), QStringLiteral("heir")};
    static const QStringList voicedVowel = {QStringLiteral("uni"), QStringLiteral("use"),  QStringLiteral("usu"),
                                            QStringLiteral("uti"), QStringLiteral("ure"),  QStringLiteral("eu"),
                                            QStringLiteral("one"), QStringLiteral("once"), QStringLiteral("ubiq")};
    for (const QString& prefix : silentH) {
        if (lower.startsWith(prefix)) {
            return true;
        }
    }
    for (const QString& prefix : voicedVowel) {
        if (lower.startsWith(prefix)) {
            return false;
        }
    }
    return QStringLiteral("aeiou").contains(lower.at(0));
}

bool isWordAt(const TokenList& tokens, size_t index)
{
    return index < tokens.size() && tokens[index].is(Kind::Word);
}

} // namespace

GrammarFixer::GrammarFixer(SpellingCorrector& corrector)
    : m_corrector(corrector)
{
}

void GrammarFixer::fixWords(TokenList& tokens)
{
    TokenList out;
    out.reserve(tokens.size());
    static const QSet<QString> legitimateDoubles = {QStringLiteral("had"), QStringLiteral("that")};
    static const QSet<QString> modals = {QStringLiteral("could"), QStringLiteral("should"), QStringLiteral("would"),
                                         QStringLiteral("must"), QStringLiteral("might")};
    for (size_t i = 0; i < tokens.size(); ++i) {
        TextToken token = tokens[i];
        if (token.is(Kind::Word)) {
            const QString lower = token.text.toLower();
            const auto fixed = missingApostrophes().constFind(lower);
            if (fixed != missingApostrophes().constEnd()) {
                token.text = withCaseOf(token.text, *fixed);
            }
            // "the the": the second word goes, with the space before it.
            if (out.size() >= 2 && out.back().is(Kind::Space) && out[out.size() - 2].is(Kind::Word) &&
                out[out.size() - 2].text.compare(token.text, Qt::CaseInsensitive) == 0 &&
                !legitimateDoubles.contains(lower)) {
                out.pop_back();
                continue;
            }
            if (lower == QLatin1String("its") && i + 2 < tokens.size() && tokens[i + 1].is(Kind::Space) &&
                tokens[i + 2].is(Kind::Word) && startsClauseAfterIts(tokens[i + 2].text.toLower())) {
                token.text = withCaseOf(token.text, QStringLiteral("it's"));
            }
            if (lower == QLatin1String("of") && out.size() >= 2 && out.back().is(Kind::Space) &&
                out[out.size() - 2].is(Kind::Word) && modals.contains(out[out.size() - 2].text.toLower())) {
                token.text = QStringLiteral("have");
            }
        }
        out.push_back(std::move(token));
    }
    tokens = std::move(out);
    fixSpelling(tokens);
    fixArticles(tokens);
}

void GrammarFixer::fixSpelling(TokenList& tokens)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!tokens[i].is(Kind::Word)) {
            continue;
        }
        const bool sentenceStart = SentenceFormatter::startsSentence(tokens, i);
        QStringList parts = tokens[i].text.split(QLatin1Char('-'));
        bool changed = false;
        for (qsizetype p = 0; p < parts.size(); ++p) {
            if (const auto corrected = m_corrector.correct(parts.at(p), sentenceStart && p == 0)) {
                parts[p] = *corrected;
                changed = true;
            }
        }
        if (changed) {
            tokens[i].text = parts.join(QLatin1Char('-'));
        }
    }
}

void GrammarFixer::fixArticles(TokenList& tokens)
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
        if (label || !next.at(0).isLetter()) {
            continue;
        }
        const bool upper = article.text.at(0).isUpper();
        const QString wanted = needsAn(next) ? QStringLiteral("an") : QStringLiteral("a");
        article.text = upper ? wanted.left(1).toUpper() + wanted.mid(1) : wanted;
    }
}

} // namespace quillora
