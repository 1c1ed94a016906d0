#pragma once

#include <QAbstractButton>

namespace quillora {

/** A text button on a filled capsule in the accent colour. Takes no focus. */
class CapsuleButton final : public QAbstractButton
{
    Q_OBJECT

public:
    /** A capsule reading `text`. */
    explicit CapsuleButton(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillora
