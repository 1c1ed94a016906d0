#pragma once

#include "app/PolishedResult.h"
#include "ui/FrameTicker.h"
#include "ui/InteractionLogger.h"
#include "ui/Tween.h"

#include <QFrame>

#include <functional>

class QAbstractButton;
class QLabel;

namespace quillora {

class CircleButton;

/**
 * One variation: an accent bar, the preset's name in capitals, a copy button, a "Use" button and
 * the selectable text. Both buttons report the action through the interaction logger when the
 * variation has a log identifier. After a copy the button shows a checkmark for 1.5 s.
 */
class ResultCard final : public QFrame
{
    Q_OBJECT

public:
    /**
     * A card for `result`. `onCopy` copies the text and tells whether that worked; `onUse` hands
     * the text on; `logInteraction` reports either action.
     */
    ResultCard(PolishedResult result, std::function<bool()> onCopy, std::function<void()> onUse,
               InteractionLogger logInteraction, QWidget* parent = nullptr);

    static constexpr double copiedDuration = 1.5;

    /** True while the copied mark shows. */
    [[nodiscard]] bool isCopied() const { return m_copied; }

    [[nodiscard]] const PolishedResult& result() const { return m_result; }
    [[nodiscard]] QAbstractButton& copyButton() const;
    [[nodiscard]] QAbstractButton& useButton() const;
    [[nodiscard]] QLabel& contentLabel() const { return *m_content; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void copy();
    void use();
    void logInteraction(const QString& action) const;
    void setCopied(bool copied);
    void paintCopySymbol(QPainter& painter, const QRectF& rect) const;

    PolishedResult m_result;
    std::function<bool()> m_onCopy;
    std::function<void()> m_onUse;
    InteractionLogger m_logInteraction;
    bool m_copied = false;
    Tween m_copiedAmount{0.0};
    CircleButton* m_copyButton;
    QAbstractButton* m_useButton;
    QLabel* m_content;
    FrameTicker m_ticker;
};

} // namespace quillora
