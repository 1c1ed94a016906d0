#include "ProseSample.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <random>

namespace quillora::bench {

namespace {

// A few sentences per document, so that no single long manual dominates the sample.
constexpr int kSentencesPerDocument = 3;

QString readDocument(const QString& path)
{
    if (path.endsWith(QLatin1String(".gz"))) {
        QProcess gzip;
        gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
        gzip.waitForFinished(10000);
        return QString::fromUtf8(gzip.readAllStandardOutput());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 2 * 1024 * 1024) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

/** Removes roff escapes: fonts, special characters, hyphens and zero-width marks. */
QString plainRoff(QString line)
{
    static const QRegularExpression font(QStringLiteral("\\\\f(\\[[^\\]]*\\]|\\(..|.)"));
    static const QRegularExpression special(QStringLiteral("\\\\\\((..)"));
    static const QRegularExpression named(QStringLiteral("\\\\\\[([^\\]]*)\\]"));
    static const QRegularExpression string(QStringLiteral("\\\\\\*(\\(..|\\[[^\\]]*\\]|.)"));
    line.replace(font, QString());
    line.replace(QLatin1String("\\-"), QLatin1String("-"));
    line.replace(QLatin1String("\\&"), QString());
    line.replace(QLatin1String("\\/"), QString());
    line.replace(QLatin1String("\\,"), QString());
    line.replace(QLatin1String("\\e"), QLatin1String("\\"));
    line.replace(QLatin1String("\\ "), QLatin1String(" "));
    line.replace(QLatin1String("\\(aq"), QLatin1String("'"));
    line.replace(QLatin1String("\\(dq"), QLatin1String("\""));
    line.replace(QLatin1String("\\(lq"), QLatin1String("\""));
    line.replace(QLatin1String("\\(rq"), QLatin1String("\""));
    line.replace(QLatin1String("\\(em"), QLatin1String(" - "));
    line.replace(special, QStringLiteral("?"));
    line.replace(named, QStringLiteral("?"));
    line.replace(string, QStringLiteral("?"));
    return line;
}

} // namespace

QStringList ProseSample::manualParagraphs(const QString& roff)
{
    QStringList paragraphs;
    QString current;
    bool inProse = false;
    const auto flush = [&] {
        // A font request ends its line, so punctuation after it arrives with a space before it.
        static const QRegularExpression spaceBeforeMark(QStringLiteral(" ([,.;:)])"));
        if (!current.trimmed().isEmpty()) {
            paragraphs.append(current.simplified().replace(spaceBeforeMark, QStringLiteral("\\1")));
        }
        current.clear();
    };
    for (const QString& raw : roff.split(QLatin1Char('\n'))) {
        if (raw.startsWith(QLatin1String(".SH")) || raw.startsWith(QLatin1String(".Sh"))) {
            flush();
            const QString title = raw.mid(3).trimmed().remove(QLatin1Char('"')).toUpper();
            inProse = title == QLatin1String("DESCRIPTION") || title == QLatin1String("NAME");
            continue;
        }
        if (!inProse) {
            continue;
        }
        if (raw.startsWith(QLatin1Char('.')) || raw.startsWith(QLatin1Char('\''))) {
            const QString request = raw.section(QLatin1Char(' '), 0, 0);
            // Font requests carry running text; every other request ends a paragraph.
            static const QStringList fontRequests = {QStringLiteral(".B"),  QStringLiteral(".I"),
                                                     QStringLiteral(".BR"), QStringLiteral(".IR"),
                                                     QStringLiteral(".RB"), QStringLiteral(".RI")};
            if (fontRequests.contains(request)) {
                QString text = raw.mid(request.size()).trimmed();
                text.remove(QLatin1Char('"'));
                current += QLatin1Char(' ') + plainRoff(text);
            } else {
                flush();
            }
            continue;
        }
        current += QLatin1Char(' ') + plainRoff(raw);
    }
    flush();
    return paragraphs;
}

QStringList ProseSample::readmeParagraphs(const QString& text)
{
    QStringList paragraphs;
    QString current;
    bool inCode = false;
    const auto flush = [&] {
        if (!current.trimmed().isEmpty()) {
            paragraphs.append(current.simplified());
        }
        current.clear();
    };
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("```"))) {
            inCode = !inCode;
            flush();
            continue;
        }
        const QString trimmed = line.trimmed();
        // Indented blocks are code or examples; headings, tables, lists and rules stand apart.
        const bool apart = inCode || trimmed.isEmpty() || line.startsWith(QLatin1String("    ")) ||
                           line.startsWith(QLatin1Char('\t')) || trimmed.startsWith(QLatin1Char('#')) ||
                           trimmed.startsWith(QLatin1Char('|')) || trimmed.startsWith(QLatin1Char('*')) ||
                           trimmed.startsWith(QLatin1Char('-')) || trimmed.startsWith(QLatin1Char('=')) ||
                           trimmed.startsWith(QLatin1Char('>')) || trimmed.startsWith(QLatin1Char('+'));
        if (apart) {
            flush();
            continue;
        }
        current += QLatin1Char(' ') + trimmed;
    }
    flush();
    return paragraphs;
}

QStringList ProseSample::sentences(const QString& paragraph)
{
    // A sentence ends at ". ", "! " or "? " before a capital; abbreviations split too early, and
    // the filter below drops what that leaves.
    static const QRegularExpression boundary(QStringLiteral("(?<=[.!?])\\s+(?=[A-Z])"));
    static const QRegularExpression prose(QStringLiteral("^[A-Z][A-Za-z0-9 ,;:'\"()/-]+[a-z)][.]$"));
    static const QRegularExpression markup(QStringLiteral("[`*_<>{}\\[\\]|=#@\\\\?]|\\.\\.|  "));
    QStringList found;
    for (const QString& piece : paragraph.split(boundary)) {
        const QString sentence = piece.trimmed();
        const qsizetype words = sentence.count(QLatin1Char(' ')) + 1;
        if (words < 6 || words > 40 || !prose.match(sentence).hasMatch() || markup.match(sentence).hasMatch()) {
            continue;
        }
        found.append(sentence);
    }
    return found;
}

QStringList ProseSample::draw(int count, unsigned seed)
{
    QStringList documents;
    for (const char* section : {"man1", "man5", "man8"}) {
        const QDir dir(QStringLiteral("/usr/share/man/") + QLatin1String(section));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            documents.append(dir.filePath(name));
        }
    }
    const QDir doc(QStringLiteral("/usr/share/doc"));
    for (const QString& package : doc.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir folder(doc.filePath(package));
        for (const QString& name : folder.entryList({QStringLiteral("README*")}, QDir::Files, QDir::Name)) {
            documents.append(folder.filePath(name));
        }
    }
    std::mt19937 random(seed);
    std::shuffle(documents.begin(), documents.end(), random);

    QStringList sample;
    QSet<QString> seen;
    for (const QString& path : documents) {
        if (sample.size() >= count) {
            break;
        }
        const QString text = readDocument(path);
        const QStringList paragraphs =
            path.contains(QLatin1String("/man/")) ? manualParagraphs(text) : readmeParagraphs(text);
        int taken = 0;
        for (const QString& paragraph : paragraphs) {
            for (const QString& sentence : sentences(paragraph)) {
                if (taken < kSentencesPerDocument && sample.size() < count && !seen.contains(sentence)) {
                    seen.insert(sentence);
                    sample.append(sentence);
                    ++taken;
                }
            }
        }
    }
    return sample;
}

} // namespace quillora::bench
