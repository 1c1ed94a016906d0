#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

namespace quillora {

class SelectionTracker;

/**
 * The toolbar control that shows whether selection tracking runs ("Active" with a green dot,
 * "Paused" with a grey one) and stops or resumes it ("Stop"/"Resume"). It follows the tracker,
 * whatever changed it. A pause is stored by the tracker and lasts across launches.
 */
class TrackingControlGroup final : public QWidget
{
    Q_OBJECT

public:
    explicit TrackingControlGroup(SelectionTracker& tracker, QWidget* parent = nullptr);

    [[nodiscard]] QString statusText() const;
    [[nodiscard]] QToolButton& toggleButton() const { return *m_toggle; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    SelectionTracker& m_tracker;
    QWidget* m_pill;
    QWidget* m_dot;
    QLabel* m_status;
    QToolButton* m_toggle;
};

} // namespace quillora
