#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace quillora {

/**
 * A long text in full, in a scrollable read-only view of its own window. The cards show a long
 * text clipped (see `isLong` and `preview`) and open this on "Show all": the text is laid out
 * only here, a screenful at a time, however long it is.
 */
class FullTextDialog final : public QDialog
{
    Q_OBJECT

public:
    /** A text longer than this many characters is shown clipped. */
    static constexpr qsizetype maxCharacters = 600;
    /** A text of more lines than this is shown clipped. */
    static constexpr qsizetype maxLines = 12;

    /**
     * A window titled `title` showing `text`; `takeFocus` false leaves the application that has
     * the focus active (as the results panel must, for "Use" to paste there).
     */
    FullTextDialog(const QString& title, const QString& text, bool takeFocus, QWidget* parent = nullptr);

    /** True when `text` has more than `maxCharacters` characters or more than `maxLines` lines. */
    [[nodiscard]] static bool isLong(const QString& text);

    /**
     * The start of `text` a card shows: at most `maxLines` lines and `maxCharacters`
     * characters, with an ellipsis where it was cut; `text` itself when it is not long.
     */
    [[nodiscard]] static QString preview(const QString& text);

    /** Opens a window for `text` that deletes itself when closed. */
    static void open(const QString& title, const QString& text, bool takeFocus, QWidget* parent = nullptr);

    [[nodiscard]] QPlainTextEdit& view() const { return *m_view; }

private:
    QPlainTextEdit* m_view;
};

} // namespace quillora
