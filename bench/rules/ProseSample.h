#pragma once

#include <QString>
#include <QStringList>

namespace quillora::bench {

/**
 * English sentences drawn from documents that Debian installs and no one here wrote: the README
 * files under /usr/share/doc and the NAME and DESCRIPTION sections of the manual pages in section 1,
 * 5 and 8. The files are shuffled with a fixed seed and read in that order, at most a few sentences
 * from each, until enough are found, so the same installation always gives the same sample.
 */
class ProseSample final
{
public:
    /** Up to `count` sentences chosen with `seed`; fewer when the installation holds fewer. */
    [[nodiscard]] static QStringList draw(int count, unsigned seed);

    /** The prose paragraphs of a manual page's NAME and DESCRIPTION sections, roff requests removed. */
    [[nodiscard]] static QStringList manualParagraphs(const QString& roff);

    /** The paragraphs of a plain-text or Markdown README, without code blocks, tables and headings. */
    [[nodiscard]] static QStringList readmeParagraphs(const QString& text);

    /** The sentences of `paragraph` that read as plain English prose, each on its own. */
    [[nodiscard]] static QStringList sentences(const QString& paragraph);
};

} // namespace quillora::bench
