#pragma once

#include "ui/FrameTicker.h"
#include "ui/Tween.h"

#include <QWidget>

class QGraphicsOpacityEffect;

namespace quillora {

/**
 * Holds one card in a list and brings it in: after `delay` seconds the card fades in while sliding
 * up from below, with a spring (response 0.35 s, damping 0.8). Lays the card out at its own width.
 */
class CardEntrance final : public QWidget
{
    Q_OBJECT

public:
    /** Takes `card` as its child and starts the entrance `delay` seconds from now. */
    CardEntrance(QWidget* card, double delay, QWidget* parent = nullptr);

    /** Distance the card slides, in points. */
    static constexpr double slideDistance = 24;

    /** How far the entrance has gone now, 0 (not yet visible) to 1. */
    [[nodiscard]] double progress() const;

    [[nodiscard]] QWidget& card() const { return *m_card; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void place();

    QWidget* m_card;
    QGraphicsOpacityEffect* m_fade;
    Tween m_progress{0.0};
    FrameTicker m_ticker;
};

} // namespace quillora
