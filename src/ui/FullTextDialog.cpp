#include "ui/FullTextDialog.h"

#include "ui/SystemFont.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quillora {

namespace {

// The character index after which `text` has more lines than allowed, or -1.
qsizetype lineCut(const QString& text, qsizetype maxLines, qsizetype limit)
{
    qsizetype lines = 1;
    const qsizetype end = std::min(text.size(), limit);
    for (qsizetype i = 0; i < end; ++i) {
        if (text.at(i) == u'\n' && ++lines > maxLines) {
            return i;
        }
    }
    return -1;
}

} // namespace

FullTextDialog::FullTextDialog(const QString& title, const QString& text, bool takeFocus, QWidget* parent)
    : QDialog(parent, takeFocus ? Qt::Window : Qt::Window | Qt::WindowDoesNotAcceptFocus)
    , m_view(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("full-text-window"));
    setWindowTitle(title);
    if (!takeFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    m_view->setObjectName(QStringLiteral("full-text"));
    m_view->setReadOnly(true);
    m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_view->setFont(SystemFont::font(12.5));
    m_view->setAccessibleName(title);
    // A plain-text view lays out only the blocks it shows, so a megabyte costs no more than a page.
    m_view->setPlainText(text);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_view);
    resize(560, 480);
}

bool FullTextDialog::isLong(const QString& text)
{
    return text.size() > maxCharacters || lineCut(text, maxLines, text.size()) >= 0;
}

QString FullTextDialog::preview(const QString& text)
{
    if (!isLong(text)) {
        return text;
    }
    qsizetype cut = lineCut(text, maxLines, maxCharacters + 1);
    if (cut < 0) {
        cut = maxCharacters;
    }
    // A surrogate pair stays whole.
    if (cut > 0 && cut < text.size() && text.at(cut).isLowSurrogate()) {
        --cut;
    }
    return text.left(cut).trimmed() + QStringLiteral(" …");
}

void FullTextDialog::open(const QString& title, const QString& text, bool takeFocus, QWidget* parent)
{
    auto* dialog = new FullTextDialog(title, text, takeFocus, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

} // namespace quillora
