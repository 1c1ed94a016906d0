#pragma once

#include "ui/FrameTicker.h"

#include <QWidget>

namespace quillora {

/**
 * A placeholder card shown while a polishing runs: a short title bar and three text bars on a card,
 * pulsing between 40 % and full opacity (0.8 s each way, eased) for as long as it is visible.
 */
class SkeletonCard final : public QWidget
{
    Q_OBJECT

public:
    explicit SkeletonCard(QWidget* parent = nullptr);

    static constexpr double pulseDuration = 0.8;
    static constexpr double minimumOpacity = 0.4;

    /** The opacity the card is drawn at now. */
    [[nodiscard]] double opacity() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    double m_start;
    FrameTicker m_ticker;
};

} // namespace quillora
