#include "rules/SpellingDictionary.h"

#include "rules/RulesDataError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace quillora {

namespace {

// Words longer than this are not English words; they are neither looked up nor corrected.
constexpr size_t kMaxWordLength = 48;

std::u16string_view viewOf(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

QString capitalized(const QString& word)
{
    return word.isEmpty() ? word : word.left(1).toUpper() + word.mid(1);
}

QString readText(const QString& path, bool required)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!required) {
            return {};
        }
        throw RulesDataError(
            QStringLiteral("cannot read the spelling dictionary %1: %2").arg(path, file.errorString()));
    }
    return QString::fromUtf8(file.readAll());
}

/** One letter position of an affix condition: a set of letters, or its complement, or any letter. */
struct ConditionLetter
{
    QString letters;
    bool negated = false;
    bool any = false;

    [[nodiscard]] bool matches(QChar c) const { return any || letters.contains(c) != negated; }
};

std::vector<ConditionLetter> parseCondition(QStringView text)
{
    std::vector<ConditionLetter> condition;
    for (qsizetype i = 0; i < text.size(); ++i) {
        ConditionLetter letter;
        if (text.at(i) == QLatin1Char('.')) {
            letter.any = true;
        } else if (text.at(i) == QLatin1Char('[')) {
            const qsizetype close = text.indexOf(QLatin1Char(']'), i);
            QStringView inside = text.mid(i + 1, (close < 0 ? text.size() : close) - i - 1);
            letter.negated = inside.startsWith(QLatin1Char('^'));
            letter.letters = (letter.negated ? inside.mid(1) : inside).toString();
            i = close < 0 ? text.size() : close;
        } else {
            letter.letters = text.at(i);
        }
        condition.push_back(std::move(letter));
    }
    return condition;
}

} // namespace

/** The SFX and PFX rules of a hunspell affix file, by flag. */
class SpellingDictionary::Affixes
{
public:
    struct Rule
    {
        QString strip;
        QString add;
        std::vector<ConditionLetter> condition;
    };
    struct Group
    {
        bool suffix = true;
        bool crossProduct = false;
        std::vector<Rule> rules;
    };

    explicit Affixes(const QString& text)
    {
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
            const QList<QStringView> fields = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (fields.size() == 2 && fields[0] == QLatin1String("FLAG") && fields[1] == QLatin1String("long")) {
                m_flagLength = 2;
                continue;
            }
            if (fields.size() < 4 || (fields[0] != QLatin1String("SFX") && fields[0] != QLatin1String("PFX")) ||
                fields[1].size() != m_flagLength) {
                continue;
            }
            Group& group = m_groups[fields[1].toString()];
            bool isCount = false;
            static_cast<void>(fields[3].toInt(&isCount));
            if (fields.size() == 4 && isCount) {
                group.suffix = fields[0] == QLatin1String("SFX");
                group.crossProduct = fields[2] == QLatin1String("Y");
                continue;
            }
            const auto affix = [](QStringView field) {
                // "0" stands for nothing; "/FLAGS" after an affix allows further affixes, which are not used.
                const QStringView text = field.left(field.indexOf(QLatin1Char('/')));
                return text == QLatin1String("0") ? QString() : text.toString();
            };
            group.rules.push_back({affix(fields[2]), affix(fields[3]),
                                   fields.size() > 4 ? parseCondition(fields[4]) : std::vector<ConditionLetter>{}});
        }
    }

    /** The flags of a dictionary entry: one character each, or two in a "FLAG long" file. */
    [[nodiscard]] QList<QStringView> split(QStringView flags) const
    {
        QList<QStringView> list;
        for (qsizetype i = 0; i + m_flagLength <= flags.size(); i += m_flagLength) {
            list.append(flags.mid(i, m_flagLength));
        }
        return list;
    }

    [[nodiscard]] const Group* group(QStringView flag) const
    {
        const auto found = m_groups.constFind(flag.toString());
        return found == m_groups.constEnd() ? nullptr : &*found;
    }

    /** The forms `stem` takes with the suffix rules of `flags`; those allowed to take a prefix too go to `crossing`. */
    void suffixed(const QString& stem, QStringView flags, QStringList& forms, QStringList& crossing) const
    {
        for (const QStringView flag : split(flags)) {
            const Group* found = group(flag);
            if (found == nullptr || !found->suffix) {
                continue;
            }
            for (const Rule& rule : found->rules) {
                if (matchesEnd(stem, rule)) {
                    QString form = stem.left(stem.size() - rule.strip.size()) + rule.add;
                    if (found->crossProduct) {
                        crossing.append(form);
                    }
                    forms.append(std::move(form));
                }
            }
        }
    }

    /** The forms `stem` and the suffixed forms in `crossing` take with the prefix rules of `flags`. */
    void prefixed(const QString& stem, QStringView flags, const QStringList& crossing, QStringList& forms) const
    {
        for (const QStringView flag : split(flags)) {
            const Group* found = group(flag);
            if (found == nullptr || found->suffix) {
                continue;
            }
            for (const Rule& rule : found->rules) {
                if (!matchesStart(stem, rule)) {
                    continue;
                }
                forms.append(rule.add + stem.mid(rule.strip.size()));
                if (found->crossProduct) {
                    for (const QString& form : crossing) {
                        forms.append(rule.add + form.mid(rule.strip.size()));
                    }
                }
            }
        }
    }

private:
    static bool matchesEnd(const QString& stem, const Rule& rule)
    {
        const qsizetype length = static_cast<qsizetype>(rule.condition.size());
        if (stem.size() <= rule.strip.size() || stem.size() < length || !stem.endsWith(rule.strip)) {
            return false;
        }
        for (qsizetype i = 0; i < length; ++i) {
            if (!rule.condition[static_cast<size_t>(i)].matches(stem.at(stem.size() - length + i))) {
                return false;
            }
        }
        return true;
    }

    static bool matchesStart(const QString& stem, const Rule& rule)
    {
        const qsizetype length = static_cast<qsizetype>(rule.condition.size());
        if (stem.size() <= rule.strip.size() || stem.size() < length || !stem.startsWith(rule.strip)) {
            return false;
        }
        for (qsizetype i = 0; i < length; ++i) {
            if (!rule.condition[static_cast<size_t>(i)].matches(stem.at(i))) {
                return false;
            }
        }
        return true;
    }

    QHash<QString, Group> m_groups;
    qsizetype m_flagLength = 1;
};

std::shared_ptr<const SpellingDictionary> SpellingDictionary::load(const QStringList& paths)
{
    auto dictionary = std::shared_ptr<SpellingDictionary>(new SpellingDictionary);
    for (const QString& path : paths) {
        const QString text = readText(path, true);
        const QFileInfo info(path);
        const Affixes affixes(
            readText(info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".aff"), false));
        bool first = true;
        for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
            // The first line holds the approximate entry count, not a word.
            if (!first) {
                dictionary->addEntry(line, affixes);
            }
            first = false;
        }
    }
    dictionary->buildBloom();
    dictionary->collectEdges();
    return dictionary;
}

std::shared_ptr<const SpellingDictionary> SpellingDictionary::fromEntries(const QStringList& entries,
                                                                          const QString& affixes)
{
    auto dictionary = std::shared_ptr<SpellingDictionary>(new SpellingDictionary);
    const Affixes rules(affixes);
    for (const QString& entry : entries) {
        dictionary->addEntry(entry, rules);
    }
    dictionary->buildBloom();
    return dictionary;
}

QStringList SpellingDictionary::otherLanguagesBeside(const QString& englishPath)
{
    const QDir folder = QFileInfo(englishPath).dir();
    QStringList paths;
    QSet<QString> languages;
    for (const QString& name : folder.entryList({QStringLiteral("*.dic")}, QDir::Files, QDir::Name)) {
        if (name.startsWith(QLatin1String("en"))) {
            continue;
        }
        // "de_DE.dic", "de_AT.dic" and "de_CH.dic" may all be links to one list.
        const QString real = QFileInfo(folder.filePath(name)).canonicalFilePath();
        const QString language = QFileInfo(real).completeBaseName().section(QLatin1Char('_'), 0, 0);
        if (!real.isEmpty() && !languages.contains(language)) {
            languages.insert(language);
            paths.append(real);
        }
    }
    return paths;
}

void SpellingDictionary::collectEdges()
{
    const auto pair = [](char16_t a, char16_t b) { return (static_cast<char32_t>(a) << 16) | b; };
    for (const std::u16string& form : m_forms) {
        if (form.size() >= 2 && form.front() >= u'a' && form.front() <= u'z') {
            ++m_starts[pair(form[0], form[1])];
            ++m_ends[pair(form[form.size() - 2], form[form.size() - 1])];
        }
    }
}

bool SpellingDictionary::hasWordlikeEdges(const QString& word) const
{
    if (word.size() < 2 || m_starts.empty()) {
        return true;
    }
    const auto pair = [](QChar a, QChar b) { return (static_cast<char32_t>(a.unicode()) << 16) | b.unicode(); };
    // A handful of forms is not enough: loan words and abbreviations open with almost anything.
    constexpr int kFewestForms = 8;
    const auto count = [](const std::unordered_map<char32_t, int>& counts, char32_t key) {
        const auto found = counts.find(key);
        return found == counts.end() ? 0 : found->second;
    };
    return count(m_starts, pair(word.at(0), word.at(1))) >= kFewestForms &&
           count(m_ends, pair(word.at(word.size() - 2), word.at(word.size() - 1))) >= kFewestForms;
}

void SpellingDictionary::addEntry(QStringView line, const Affixes& affixes)
{
    line = line.trimmed();
    // A byte order mark may open the file; the British list starts with one.
    if (line.startsWith(QChar(0xFEFF))) {
        line = line.mid(1);
    }
    if (line.isEmpty()) {
        return;
    }
    // Morphological fields after a tab or space are not used.
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('\t') || line.at(i) == QLatin1Char(' ')) {
            line = line.left(i);
            break;
        }
    }
    const qsizetype slash = line.indexOf(QLatin1Char('/'));
    const QString stem = (slash < 0 ? line : line.left(slash)).toString();
    const QStringView flags = slash < 0 ? QStringView() : line.mid(slash + 1);
    QStringList forms{stem};
    QStringList crossing;
    affixes.suffixed(stem, flags, forms, crossing);
    affixes.prefixed(stem, flags, crossing, forms);
    for (const QString& form : forms) {
        addForm(form);
    }
}

void SpellingDictionary::addForm(const QString& form)
{
    QString key = form;
    key.replace(QChar(0x2019), QLatin1Char('\''));
    m_forms.emplace(viewOf(key));
}

void SpellingDictionary::buildBloom()
{
    // About 16 bits per form, so that two probes let through well under 1 % of misses.
    size_t bits = 1024;
    while (bits < m_forms.size() * 16) {
        bits *= 2;
    }
    m_bloomMask = bits - 1;
    m_bloom.assign(bits / 64, 0);
    for (const std::u16string& form : m_forms) {
        const size_t hash = ViewHash{}(form);
        for (const size_t bit :
             {hash & m_bloomMask, static_cast<size_t>((hash >> 32) * 0x9E3779B97F4A7C15ULL) & m_bloomMask}) {
            m_bloom[bit / 64] |= quint64(1) << (bit % 64);
        }
    }
}

bool SpellingDictionary::mayContain(size_t hash) const
{
    if (m_bloom.empty()) {
        return false;
    }
    for (const size_t bit :
         {hash & m_bloomMask, static_cast<size_t>((hash >> 32) * 0x9E3779B97F4A7C15ULL) & m_bloomMask}) {
        if (((m_bloom[bit / 64] >> (bit % 64)) & 1) == 0) {
            return false;
        }
    }
    return true;
}

bool SpellingDictionary::hasForm(std::u16string_view word) const
{
    if (word.empty() || word.size() > kMaxWordLength || !mayContain(ViewHash{}(word))) {
        return false;
    }
    return m_forms.find(word) != m_forms.end();
}

bool SpellingDictionary::hasForm(const QString& word) const
{
    return hasForm(viewOf(word));
}

bool SpellingDictionary::isKnown(const QString& word) const
{
    QString normalized = word;
    normalized.replace(QChar(0x2019), QLatin1Char('\''));
    if (hasForm(normalized)) {
        return true;
    }
    // A capital at the start of a sentence, or a word written in capitals; other mixed case is not English.
    const QString lower = normalized.toLower();
    const bool capitalizedForm = normalized == capitalized(lower);
    const bool allCaps = normalized == normalized.toUpper();
    return (capitalizedForm || allCaps) && lower != normalized && (hasForm(lower) || hasForm(capitalized(lower)));
}

QStringList SpellingDictionary::candidates(const QString& word) const
{
    QStringList found;
    const std::u16string_view base = viewOf(word);
    if (base.size() > kMaxWordLength) {
        return found;
    }
    // Every edit is made in one buffer and looked up as a view: no string is made for a miss.
    std::u16string edit;
    edit.reserve(base.size() + 1);
    const auto consider = [&] {
        if (!edit.empty() && hasForm(std::u16string_view(edit))) {
            const QString candidate = QString::fromUtf16(edit.data(), static_cast<qsizetype>(edit.size()));
            // Different edits can make the same word.
            if (!found.contains(candidate)) {
                found.append(candidate);
            }
        }
    };
    const std::u16string_view alphabet = u"abcdefghijklmnopqrstuvwxyz";
    const size_t length = base.size();
    for (size_t i = 0; i + 1 < length; ++i) {
        edit.assign(base);
        std::swap(edit[i], edit[i + 1]);
        consider();
    }
    for (size_t i = 0; i < length; ++i) {
        edit.assign(base);
        edit.erase(i, 1);
        consider();
    }
    for (size_t i = 0; i < length; ++i) {
        for (const char16_t c : alphabet) {
            if (c != base[i]) {
                edit.assign(base);
                edit[i] = c;
                consider();
            }
        }
    }
    for (size_t i = 0; i <= length; ++i) {
        for (const char16_t c : alphabet) {
            edit.assign(base);
            edit.insert(edit.begin() + static_cast<std::ptrdiff_t>(i), c);
            consider();
        }
    }
    return found;
}

} // namespace quillora
