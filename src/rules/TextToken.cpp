#include "rules/TextToken.h"

#include <QRegularExpression>
#include <QSet>

namespace quillora {

namespace {

const QString kOpeners = QStringLiteral("([{\"'\u201C\u2018\u00AB");
const QString kClosers = QStringLiteral(".,;:!?)]}\"'\u201D\u2019\u00BB\u2026");
const QString kSentencePunctuation = QStringLiteral(".,;:!?\u2026");
const QString kCodeCharacters = QStringLiteral("@#/\\_=<>{}|`~^*$%&+");

bool isAbbreviation(const QString& text)
{
    static const QSet<QString> abbreviations = {
        QStringLiteral("e.g."),  QStringLiteral("i.e."), QStringLiteral("etc."),    QStringLiteral("vs."),
        QStringLiteral("mr."),   QStringLiteral("mrs."), QStringLiteral("ms."),     QStringLiteral("dr."),
        QStringLiteral("prof."), QStringLiteral("st."),  QStringLiteral("jr."),     QStringLiteral("sr."),
        QStringLiteral("inc."),  QStringLiteral("ltd."), QStringLiteral("co."),     QStringLiteral("a.m."),
        QStringLiteral("p.m."),  QStringLiteral("no."),  QStringLiteral("approx."), QStringLiteral("dept."),
        QStringLiteral("fig."),  QStringLiteral("u.s."), QStringLiteral("u.k."),    QStringLiteral("cf."),
    };
    if (abbreviations.contains(text.toLower())) {
        return true;
    }
    // An initial, as in "J. Smith"; "I." and "A." end sentences far more often than they abbreviate names.
    return text.size() == 2 && text.at(0).isUpper() && text.at(1) == QLatin1Char('.') &&
           text.at(0) != QLatin1Char('I') && text.at(0) != QLatin1Char('A');
}

bool isVerbatimCore(const QString& core)
{
    if (core.contains(QLatin1String("://")) || core.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        return true;
    }
    // A command-line option: "-v", "--config", "-fexceptions".
    if (core.size() > 1 && core.at(0) == QLatin1Char('-') &&
        (core.at(1) == QLatin1Char('-') || core.at(1).isLetter())) {
        return true;
    }
    for (const QChar c : core) {
        if (c.isDigit() || kCodeCharacters.contains(c)) {
            return true;
        }
    }
    // A host or file name ("example.com", "notes.txt"), but not a missing space ("end.Next").
    static const QRegularExpression dotted(QStringLiteral("^[\\w-]+(\\.[\\w-]+)+$"));
    if (core.contains(QLatin1Char('.')) && dotted.match(core).hasMatch()) {
        return core.at(core.lastIndexOf(QLatin1Char('.')) + 1).isLower();
    }
    return false;
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark();
}

void splitCore(const QString& core, TokenList& tokens)
{
    QString word;
    for (qsizetype i = 0; i < core.size(); ++i) {
        const QChar c = core.at(i);
        const bool joiner = (c == QLatin1Char('\'') || c == QChar(0x2019) || c == QLatin1Char('-')) &&
                            !word.isEmpty() && i + 1 < core.size() && isWordCharacter(core.at(i + 1));
        if (isWordCharacter(c) || joiner) {
            word.append(c);
            continue;
        }
        if (!word.isEmpty()) {
            tokens.push_back({TextToken::Kind::Word, word});
            word.clear();
        }
        tokens.push_back({TextToken::Kind::Punct, QString(c)});
    }
    if (!word.isEmpty()) {
        tokens.push_back({TextToken::Kind::Word, word});
    }
}

void appendPunctuation(const QString& text, TokenList& tokens)
{
    for (const QChar c : text) {
        tokens.push_back({TextToken::Kind::Punct, QString(c)});
    }
}

void appendChunk(const QString& chunk, TokenList& tokens)
{
    bool hasWordCharacter = false;
    for (const QChar c : chunk) {
        hasWordCharacter = hasWordCharacter || isWordCharacter(c);
    }
    if (!hasWordCharacter) {
        // Stray sentence punctuation is fixed up by the rules; anything else (":-)", "->") is kept.
        bool punctuationOnly = true;
        for (const QChar c : chunk) {
            punctuationOnly = punctuationOnly && kSentencePunctuation.contains(c);
        }
        if (punctuationOnly) {
            appendPunctuation(chunk, tokens);
        } else {
            tokens.push_back({TextToken::Kind::Verbatim, chunk});
        }
        return;
    }

    qsizetype start = 0;
    while (start < chunk.size() && kOpeners.contains(chunk.at(start))) {
        tokens.push_back({TextToken::Kind::Punct, QString(chunk.at(start))});
        ++start;
    }
    qsizetype end = chunk.size();
    while (end > start && kClosers.contains(chunk.at(end - 1)) && chunk.at(end - 1) != QLatin1Char('.')) {
        --end;
    }
    // An abbreviation keeps its full stop: "e.g.," is "e.g." and ",".
    const QString withDot = chunk.mid(start, end - start);
    if (withDot.endsWith(QLatin1Char('.')) && isAbbreviation(withDot)) {
        tokens.push_back({TextToken::Kind::Verbatim, withDot});
        appendPunctuation(chunk.mid(end), tokens);
        return;
    }
    while (end > start && kClosers.contains(chunk.at(end - 1))) {
        --end;
    }
    const QString core = chunk.mid(start, end - start);
    if (isVerbatimCore(core)) {
        tokens.push_back({TextToken::Kind::Verbatim, core});
    } else {
        splitCore(core, tokens);
    }
    appendPunctuation(chunk.mid(end), tokens);
}

} // namespace

bool TextToken::endsSentence() const
{
    return kind == Kind::Punct && (text == QLatin1String(".") || text == QLatin1String("!") ||
                                   text == QLatin1String("?") || text == QStringLiteral("\u2026"));
}

bool TextToken::opens() const
{
    return kind == Kind::Punct && text.size() == 1 && kOpeners.contains(text.at(0));
}

bool TextToken::closes() const
{
    return kind == Kind::Punct && text.size() == 1 && QStringLiteral(")]}\"'\u201D\u2019\u00BB").contains(text.at(0));
}

TokenList TextTokenizer::tokenize(const QString& text)
{
    TokenList tokens;
    tokens.reserve(static_cast<size_t>(text.size() / 3 + 1));
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype j = i;
        if (text.at(i).isSpace()) {
            int lineBreaks = 0;
            while (j < text.size() && text.at(j).isSpace()) {
                lineBreaks += text.at(j) == QLatin1Char('\n') ? 1 : 0;
                ++j;
            }
            if (lineBreaks > 0) {
                tokens.push_back({TextToken::Kind::Newline, QString(std::min(lineBreaks, 2), QLatin1Char('\n'))});
            } else {
                tokens.push_back({TextToken::Kind::Space, QStringLiteral(" ")});
            }
        } else {
            while (j < text.size() && !text.at(j).isSpace()) {
                ++j;
            }
            appendChunk(text.mid(i, j - i), tokens);
        }
        i = j;
    }
    return tokens;
}

QString TextTokenizer::join(const TokenList& tokens)
{
    QString text;
    for (const TextToken& token : tokens) {
        text += token.text;
    }
    return text;
}

} // namespace quillora
