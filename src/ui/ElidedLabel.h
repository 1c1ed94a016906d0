#pragma once

#include <QString>
#include <QWidget>

namespace quillora {

/**
 * One line of text that never makes its layout wider than the room it is given: where the text
 * does not fit, it is cut with an ellipsis at the end. The whole text is the hover help and the
 * accessible description.
 */
class ElidedLabel final : public QWidget
{
    Q_OBJECT

public:
    ElidedLabel(QString text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    [[nodiscard]] const QString& text() const { return m_text; }

    /** The text as drawn at the current width. */
    [[nodiscard]] QString shownText() const;

    [[nodiscard]] QSize sizeHint() const override;
    /** Room for a few characters and the ellipsis, whatever the text's length. */
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

} // namespace quillora
