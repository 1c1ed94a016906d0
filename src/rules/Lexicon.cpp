#include "rules/Lexicon.h"

#include "rules/RulesDataError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <cctype>
#include <string_view>
#include <unordered_map>

namespace quillora {

namespace {

// Listed everyday words rank above every word WordNet has a count for.
constexpr int kListedFrequencyBase = 100000;

[[noreturn]] void refuse(const QString& path, const QString& why)
{
    throw RulesDataError(QStringLiteral("cannot use %1: %2").arg(path, why));
}

/** The lines of a table, without comments and blank lines. */
QStringList tableLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        refuse(path, file.errorString());
    }
    QStringList lines;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.left(raw.indexOf(QLatin1Char('#'))).trimmed();
        if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines;
}

/** The first word of each line of a WordNet file; the licence lines at the top start with a space. */
template <typename Visit> void forEachWordNetLine(const QString& path, Visit visit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.isEmpty() || line.at(0) == ' ') {
            continue;
        }
        const QList<QByteArray> fields = line.trimmed().split(' ');
        // Multi-word entries ("ice_cream") are not single tokens of a text.
        if (!fields.isEmpty() && !fields.first().contains('_')) {
            visit(fields);
        }
    }
}

QSet<QString> readIndex(const QString& path)
{
    QSet<QString> words;
    forEachWordNetLine(path, [&words](const QList<QByteArray>& fields) { words.insert(QString::fromUtf8(fields[0])); });
    return words;
}

/**
 * Counts the lower-case words of the glosses in a WordNet data file: the text after "| " on each
 * line. Words with a capital are names or start a sentence, and are left out.
 */
void countGlossWords(const QByteArray& text, std::unordered_map<std::string_view, int>& counts)
{
    const char* const data = text.constData();
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        qsizetype end = text.indexOf('\n', i);
        end = end < 0 ? size : end;
        // The licence at the top of the file is indented; every entry starts with its offset.
        const qsizetype bar = data[i] == ' ' ? -1 : text.indexOf("| ", i);
        qsizetype k = bar >= 0 && bar < end ? bar + 2 : end;
        while (k < end) {
            while (k < end && !std::isalpha(static_cast<unsigned char>(data[k]))) {
                ++k;
            }
            const qsizetype start = k;
            bool lower = true;
            while (k < end && std::isalpha(static_cast<unsigned char>(data[k]))) {
                lower = lower && std::islower(static_cast<unsigned char>(data[k]));
                ++k;
            }
            if (lower && k > start) {
                ++counts[std::string_view(data + start, static_cast<size_t>(k - start))];
            }
        }
        i = end + 1;
    }
}

bool isVowel(QChar c)
{
    return QStringLiteral("aeiou").contains(c);
}

/** Adds "s" or "es" the way both nouns and verbs do: "boxes", "cities", "days", "books". */
QString withS(const QString& word)
{
    if (word.size() > 1 && word.endsWith(QLatin1Char('y')) && !isVowel(word.at(word.size() - 2))) {
        return word.left(word.size() - 1) + QStringLiteral("ies");
    }
    for (const char* ending : {"s", "x", "z", "ch", "sh"}) {
        if (word.endsWith(QLatin1String(ending))) {
            return word + QStringLiteral("es");
        }
    }
    return word + QLatin1Char('s');
}

/** The spellings a writer gives the past of a verb that is not regular: "goed", "runned", "taked". */
QStringList regularizedForms(const QString& base)
{
    QStringList forms;
    if (base.endsWith(QLatin1Char('e'))) {
        forms.append(base + QLatin1Char('d'));
    } else if (base.size() > 1 && base.endsWith(QLatin1Char('y')) && !isVowel(base.at(base.size() - 2))) {
        forms.append(base.left(base.size() - 1) + QStringLiteral("ied"));
    } else {
        forms.append(base + QStringLiteral("ed"));
        const qsizetype n = base.size();
        if (n >= 3 && !isVowel(base.at(n - 1)) && isVowel(base.at(n - 2)) && !isVowel(base.at(n - 3))) {
            forms.append(base + base.at(n - 1) + QStringLiteral("ed"));
        }
    }
    return forms;
}

} // namespace

std::shared_ptr<const Lexicon> Lexicon::load(const QString& dataFolder, const QString& wordnetFolder)
{
    auto lexicon = std::shared_ptr<Lexicon>(new Lexicon);
    const QDir data(dataFolder);
    lexicon->readWordNet(wordnetFolder);
    lexicon->readIrregularVerbs(data.filePath(QStringLiteral("irregular-verbs.txt")));
    lexicon->readInstalledNames();

    const QString misspellings = data.filePath(QStringLiteral("misspellings.txt"));
    for (const QString& line : tableLines(misspellings)) {
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space < 0) {
            refuse(misspellings, QStringLiteral("\"%1\" has no correction").arg(line));
        }
        lexicon->m_misspellings.insert(line.left(space), line.mid(space + 1).trimmed());
    }

    const QString agreement = data.filePath(QStringLiteral("agreement.txt"));
    for (const QString& line : tableLines(agreement)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 3) {
            refuse(agreement, QStringLiteral("\"%1\" is not \"person verb agreeing-verb\"").arg(line));
        }
        lexicon->m_agreement.insert(fields[0] + QLatin1Char(' ') + fields[1], fields[2]);
    }

    const QStringList frequent = tableLines(data.filePath(QStringLiteral("frequent-words.txt")))
                                     .join(QLatin1Char(' '))
                                     .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = frequent.size() - 1; i >= 0; --i) {
        lexicon->m_frequency.insert(frequent.at(i), kListedFrequencyBase + static_cast<int>(frequent.size() - i));
    }

    const QString confusables = data.filePath(QStringLiteral("confusables.txt"));
    for (const QString& line : tableLines(confusables)) {
        ConfusableRule rule;
        const QString wrong = ConfusableRule::parse(line, rule);
        if (wrong.isEmpty()) {
            refuse(confusables, QStringLiteral("\"%1\" is not \"wrong => right | before=... ; after=...\"").arg(line));
        }
        lexicon->m_confusables[wrong].append(rule);
    }

    QSet<QString>* list = nullptr;
    const QString lists = data.filePath(QStringLiteral("word-lists.txt"));
    for (const QString& line : tableLines(lists)) {
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            list = &lexicon->m_lists[line.mid(1, line.size() - 2)];
            continue;
        }
        if (list == nullptr) {
            refuse(lists, QStringLiteral("words before the first [list] header"));
        }
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            list->insert(word);
        }
    }

    for (const QString& name : {QStringLiteral("corrections"), QStringLiteral("professional"), QStringLiteral("casual"),
                                QStringLiteral("concise")}) {
        const QString path = data.filePath(name + QStringLiteral(".txt"));
        QList<PhraseRule>& rules = lexicon->m_phrases[name];
        PhraseRule::Where where = PhraseRule::Where::Anywhere;
        for (const QString& line : tableLines(path)) {
            if (line == QLatin1String("[anywhere]") || line == QLatin1String("[sentence-start]") ||
                line == QLatin1String("[before-word]")) {
                where = line == QLatin1String("[anywhere]")         ? PhraseRule::Where::Anywhere
                        : line == QLatin1String("[sentence-start]") ? PhraseRule::Where::SentenceStart
                                                                    : PhraseRule::Where::BeforeWord;
                continue;
            }
            const qsizetype arrow = line.indexOf(QLatin1String("=>"));
            if (arrow <= 0) {
                refuse(path, QStringLiteral("\"%1\" is not \"phrase => replacement\"").arg(line));
            }
            rules.append({line.left(arrow).trimmed(), line.mid(arrow + 2).trimmed(), where});
        }
    }
    return lexicon;
}

void Lexicon::readWordNet(const QString& folder)
{
    const QDir dir(folder);
    m_nouns = readIndex(dir.filePath(QStringLiteral("index.noun")));
    m_verbs = readIndex(dir.filePath(QStringLiteral("index.verb")));
    m_adjectives = readIndex(dir.filePath(QStringLiteral("index.adj")));
    m_adverbs = readIndex(dir.filePath(QStringLiteral("index.adv")));
    forEachWordNetLine(dir.filePath(QStringLiteral("noun.exc")), [this](const QList<QByteArray>& fields) {
        if (fields.size() >= 2) {
            const QString plural = QString::fromUtf8(fields[0]);
            const QString singular = QString::fromUtf8(fields[1]);
            m_nounOfPlural.insert(plural, singular);
            if (!m_pluralOfNoun.contains(singular)) {
                m_pluralOfNoun.insert(singular, plural);
            }
        }
    });
    forEachWordNetLine(dir.filePath(QStringLiteral("verb.exc")), [this](const QList<QByteArray>& fields) {
        if (fields.size() >= 2 && !m_baseOfPast.contains(QString::fromUtf8(fields[0]))) {
            m_baseOfPast.insert(QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]));
        }
    });
    // Sense counts from tagged text: a rough measure of how common a word is.
    forEachWordNetLine(dir.filePath(QStringLiteral("cntlist.rev")), [this](const QList<QByteArray>& fields) {
        const qsizetype percent = fields[0].indexOf('%');
        if (percent > 0 && fields.size() >= 3) {
            int& count = m_frequency[QString::fromUtf8(fields[0].left(percent))];
            count = std::min(kListedFrequencyBase - 1, count + fields[2].toInt());
        }
    });
    // The sense counts cover few words and leave out the ones without senses ("against",
    // "across"); how often a word is used in WordNet's definitions and examples fills them in.
    for (const char* name : {"data.noun", "data.verb", "data.adj", "data.adv"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // The counts point into the file's text, which lives until they are added.
        const QByteArray text = file.readAll();
        std::unordered_map<std::string_view, int> glossCounts;
        countGlossWords(text, glossCounts);
        for (const auto& [word, uses] : glossCounts) {
            int& count = m_frequency[QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size()))];
            count = std::min(kListedFrequencyBase - 1, count + uses);
        }
    }
}

void Lexicon::readInstalledNames()
{
    // Each part of a name counts: "tc-pedit.8.gz" names "pedit", "libpango-1.0-0" names "pango".
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    const auto addParts = [this](const QString& name) {
        for (QString part : name.toLower().split(separators, Qt::SkipEmptyParts)) {
            if (part.startsWith(QLatin1String("lib")) && part.size() > 5) {
                part = part.mid(3);
            }
            if (part.size() >= 3) {
                m_installedNames.insert(part);
            }
        }
    };
    QStringList folders = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"), QStringLiteral("/usr/games"),
                           QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/share/doc")};
    for (int section = 1; section <= 8; ++section) {
        folders.append(QStringLiteral("/usr/share/man/man%1").arg(section));
    }
    for (const QString& folder : folders) {
        for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
            // A manual page's file name ends in its section and compression: "pstree.1.gz".
            addParts(folder.startsWith(QLatin1String("/usr/share/man")) ? name.section(QLatin1Char('.'), 0, 0) : name);
        }
    }
}

void Lexicon::readIrregularVerbs(const QString& path)
{
    for (const QString& line : tableLines(path)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 3) {
            refuse(path, QStringLiteral("\"%1\" is not \"base past participle\"").arg(line));
        }
        const QString& base = fields[0];
        const QStringList pasts = fields[1].split(QLatin1Char('/'));
        const QString participle = fields[2].split(QLatin1Char('/')).first();
        for (const QString& form : fields[2].split(QLatin1Char('/'))) {
            m_participles.insert(form);
        }
        for (const QString& past : pasts) {
            m_baseOfPast.insert(past, base);
            if (past != participle) {
                m_participleOfPast.insert(past, participle);
            }
        }
        if (pasts.contains(base)) {
            m_unchangedPast.insert(base);
            continue;
        }
        for (const QString& wrong : regularizedForms(base)) {
            if (!pasts.contains(wrong)) {
                m_regularized.insert(wrong, pasts.first());
            }
        }
    }
}

bool Lexicon::inList(const QString& name, const QString& word) const
{
    const auto found = m_lists.constFind(name);
    return found != m_lists.constEnd() && found->contains(word);
}

bool Lexicon::isParticiple(const QString& word) const
{
    return m_participles.contains(word) || (word.endsWith(QLatin1String("ed")) && !baseOfPast(word).isEmpty());
}

QString Lexicon::baseOfPast(const QString& word) const
{
    const auto irregular = m_baseOfPast.constFind(word);
    if (irregular != m_baseOfPast.constEnd()) {
        return *irregular;
    }
    if (word.size() < 4 || !word.endsWith(QLatin1String("ed"))) {
        return {};
    }
    const QString stem = word.left(word.size() - 2);
    QStringList bases{stem, stem + QLatin1Char('e')};
    if (stem.endsWith(QLatin1Char('i'))) {
        bases.append(stem.left(stem.size() - 1) + QLatin1Char('y'));
    }
    if (stem.size() > 2 && stem.at(stem.size() - 1) == stem.at(stem.size() - 2)) {
        bases.append(stem.left(stem.size() - 1));
    }
    for (const QString& base : bases) {
        if (m_verbs.contains(base)) {
            return base;
        }
    }
    return {};
}

QString Lexicon::thirdPerson(const QString& base) const
{
    if (base == QLatin1String("have")) {
        return QStringLiteral("has");
    }
    if (base == QLatin1String("be")) {
        return QStringLiteral("is");
    }
    if (base == QLatin1String("do") || base == QLatin1String("go")) {
        return base + QStringLiteral("es");
    }
    return withS(base);
}

QString Lexicon::baseOfThirdPerson(const QString& word) const
{
    static const QHash<QString, QString> irregular = {{QStringLiteral("has"), QStringLiteral("have")},
                                                      {QStringLiteral("is"), QStringLiteral("be")},
                                                      {QStringLiteral("does"), QStringLiteral("do")},
                                                      {QStringLiteral("goes"), QStringLiteral("go")}};
    if (irregular.contains(word)) {
        return irregular.value(word);
    }
    if (word.size() < 3 || !word.endsWith(QLatin1Char('s')) || word.endsWith(QLatin1String("ss"))) {
        return {};
    }
    QStringList bases;
    if (word.endsWith(QLatin1String("ies"))) {
        bases.append(word.left(word.size() - 3) + QLatin1Char('y'));
    }
    if (word.endsWith(QLatin1String("es"))) {
        bases.append(word.left(word.size() - 2));
    }
    bases.append(word.left(word.size() - 1));
    for (const QString& base : bases) {
        if (m_verbs.contains(base) && thirdPerson(base) == word) {
            return base;
        }
    }
    return {};
}

QString Lexicon::plural(const QString& singular) const
{
    const auto irregular = m_pluralOfNoun.constFind(singular);
    // WordNet lists old plurals too ("brethren"); the regular one is what writers mean today.
    return irregular != m_pluralOfNoun.constEnd() && !inList(QStringLiteral("archaic-plurals"), *irregular)
               ? *irregular
               : withS(singular);
}

bool Lexicon::isPluralNoun(const QString& word) const
{
    if (m_nounOfPlural.contains(word) || inList(QStringLiteral("plural-nouns"), word)) {
        return true;
    }
    if (word.size() < 4 || !word.endsWith(QLatin1Char('s')) || m_nouns.contains(word) ||
        inList(QStringLiteral("function-words"), word)) {
        return false;
    }
    for (const QString& singular :
         {word.left(word.size() - 1), word.left(word.size() - 2), word.left(word.size() - 3) + QLatin1Char('y')}) {
        if (singular.size() >= 2 && m_nouns.contains(singular) && withS(singular) == word) {
            return true;
        }
    }
    return false;
}

} // namespace quillora
