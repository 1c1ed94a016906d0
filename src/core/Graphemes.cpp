#include "core/Graphemes.h"

#include <QTextBoundaryFinder>

namespace quillora {

namespace {

// The end offset of the first `limit` clusters, or the text's length when it has fewer.
qsizetype endOfFirst(const QString& text, qsizetype limit, qsizetype* found)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    qsizetype clusters = 0;
    while (clusters < limit) {
        const qsizetype next = finder.toNextBoundary();
        if (next <= 0) {
            break;
        }
        end = next;
        ++clusters;
    }
    if (found != nullptr) {
        *found = clusters;
    }
    return end;
}

} // namespace

qsizetype Graphemes::count(const QString& text)
{
    qsizetype clusters = 0;
    endOfFirst(text, text.size(), &clusters);
    return clusters;
}

bool Graphemes::hasAtLeast(const QString& text, qsizetype minimum)
{
    // A cluster spans at least one code unit, so a text shorter than `minimum` units cannot have enough.
    if (text.size() < minimum) {
        return false;
    }
    qsizetype clusters = 0;
    endOfFirst(text, minimum, &clusters);
    return clusters >= minimum;
}

bool Graphemes::exceeds(const QString& text, qsizetype limit)
{
    return text.size() > limit && hasAtLeast(text, limit + 1);
}

QString Graphemes::prefix(const QString& text, qsizetype limit)
{
    return text.left(endOfFirst(text, limit, nullptr));
}

QStringList Graphemes::split(const QString& text)
{
    QStringList characters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > start; end = finder.toNextBoundary()) {
        characters.append(text.mid(start, end - start));
        start = end;
    }
    return characters;
}

} // namespace quillora
