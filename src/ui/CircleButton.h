#pragma once

#include <QAbstractButton>

#include <functional>

namespace quillora {

/**
 * A small round button: a faint disc with a symbol drawn by the owner. Takes no focus, so clicking
 * it leaves the keyboard with the application the user works in.
 */
class CircleButton final : public QAbstractButton
{
    Q_OBJECT

public:
    /** Draws the symbol into the button's rectangle. */
    using Painter = std::function<void(QPainter&, const QRectF&)>;

    /** A button `diameter` points wide whose symbol `paintSymbol` draws. */
    CircleButton(double diameter, Painter paintSymbol, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter m_paintSymbol;
};

} // namespace quillora
