#include "app/WordDiff.h"

#include <vector>

namespace quillora {

namespace {

using Segment = WordDiff::Segment;

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == u'\'' || c == u'’' || c == u'_';
}

// Words (letters, digits, apostrophes), runs of white space, and every other character alone; a
// character outside the basic plane stays one token with both its halves.
QStringList tokenize(const QString& text)
{
    QStringList tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        qsizetype end = i + 1;
        if (c.isHighSurrogate() && end < text.size() && text.at(end).isLowSurrogate()) {
            ++end;
        } else if (c.isSpace()) {
            while (end < text.size() && text.at(end).isSpace()) {
                ++end;
            }
        } else if (isWordCharacter(c)) {
            while (end < text.size() && isWordCharacter(text.at(end))) {
                ++end;
            }
        }
        tokens.append(text.mid(i, end - i));
        i = end;
    }
    return tokens;
}

bool sameToken(const QString& a, const QString& b)
{
    return a == b || (a.at(0).isSpace() && b.at(0).isSpace());
}

void append(QList<Segment>& segments, Segment::Kind kind, const QString& text)
{
    if (!segments.isEmpty() && segments.last().kind == kind) {
        segments.last().text += text;
    } else {
        segments.append({kind, text});
    }
}

} // namespace

QList<Segment> WordDiff::compare(const QString& original, const QString& variation)
{
    const QStringList a = tokenize(original);
    const QStringList b = tokenize(variation);
    QList<Segment> segments;
    if (a.size() > maximumTokens || b.size() > maximumTokens) {
        if (!original.isEmpty()) {
            segments.append({Segment::Kind::removed, original});
        }
        if (!variation.isEmpty()) {
            segments.append({Segment::Kind::inserted, variation});
        }
        return segments;
    }
    // The longest common subsequence, from the ends, so that the walk below goes forward.
    const qsizetype n = a.size();
    const qsizetype m = b.size();
    std::vector<int> lengths(std::size_t((n + 1) * (m + 1)), 0);
    const auto at = [m, &lengths](qsizetype i, qsizetype j) -> int& { return lengths[std::size_t(i * (m + 1) + j)]; };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            at(i, j) = sameToken(a.at(i), b.at(j)) ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        }
    }
    QList<Segment> removed;
    QList<Segment> inserted;
    const auto flush = [&] {
        for (const Segment& segment : removed) {
            append(segments, segment.kind, segment.text);
        }
        for (const Segment& segment : inserted) {
            append(segments, segment.kind, segment.text);
        }
        removed.clear();
        inserted.clear();
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && sameToken(a.at(i), b.at(j))) {
            flush();
            // Of two runs of white space, the variation's is what is shown.
            append(segments, Segment::Kind::same, b.at(j));
            ++i;
            ++j;
        } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
            append(inserted, Segment::Kind::inserted, b.at(j++));
        } else {
            append(removed, Segment::Kind::removed, a.at(i++));
        }
    }
    flush();
    return segments;
}

int WordDiff::changeCount(const QList<Segment>& segments)
{
    int changes = 0;
    bool inChange = false;
    for (const Segment& segment : segments) {
        const bool changed = segment.kind != Segment::Kind::same;
        if (changed && !inChange) {
            ++changes;
        }
        inChange = changed;
    }
    return changes;
}

QString WordDiff::toHtml(const QList<Segment>& segments)
{
    QString html;
    for (const Segment& segment : segments) {
        const QString text = segment.text.toHtmlEscaped();
        switch (segment.kind) {
        case Segment::Kind::same:
            html += text;
            break;
        case Segment::Kind::inserted:
            html += QStringLiteral("<span style=\"background-color: rgba(52, 199, 89, 0.28)\">%1</span>").arg(text);
            break;
        case Segment::Kind::removed:
            html += QStringLiteral("<s style=\"color: #8e8e93\">%1</s>").arg(text);
            break;
        }
    }
    return html;
}

} // namespace quillora
