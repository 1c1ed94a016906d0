#include "ui/TrackingControlGroup.h"

#include "app/SelectionTracker.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace quillora {

namespace {

// The status pill: a white capsule with a faint shadow.
class Pill final : public QWidget
{
public:
    explicit Pill(QWidget* parent)
        : QWidget(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const QColor fill = Theme::isDark() ? QColor(58, 60, 66) : QColor(Qt::white);
        ShellStyle::paintCard(painter, QRectF(rect()).adjusted(1, 1, -1, -2), 8, fill, 0.04, 2, 0.5);
    }
};

class Dot final : public QWidget
{
public:
    explicit Dot(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(6, 6);
    }

    void setColor(const QColor& color)
    {
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(QRectF(rect()));
    }

private:
    QColor m_color;
};

} // namespace

TrackingControlGroup::TrackingControlGroup(SelectionTracker& tracker, QWidget* parent)
    : QWidget(parent)
    , m_tracker(tracker)
    , m_pill(new Pill(this))
    , m_dot(new Dot(m_pill))
    , m_status(new QLabel(m_pill))
    , m_toggle(new QToolButton(this))
{
    setObjectName(QStringLiteral("tracking-controls"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);
    auto* pillRow = new QHBoxLayout(m_pill);
    pillRow->setContentsMargins(10, 5, 10, 5);
    pillRow->setSpacing(5);
    pillRow->addWidget(m_dot);
    m_status->setObjectName(QStringLiteral("tracking-status"));
    m_status->setFont(SystemFont::font(10, QFont::Black));
    pillRow->addWidget(m_status);
    m_pill->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row->addWidget(m_pill);

    m_toggle->setObjectName(QStringLiteral("tracking-toggle-btn"));
    m_toggle->setFont(SystemFont::font(11, QFont::DemiBold));
    m_toggle->setCursor(Qt::PointingHandCursor);
    row->addWidget(m_toggle);
    connect(m_toggle, &QToolButton::clicked, this, [this] {
        if (m_tracker.isTracking()) {
            m_tracker.stopTracking();
        } else {
            m_tracker.startTracking();
        }
    });
    connect(&m_tracker, &SelectionTracker::isTrackingChanged, this, &TrackingControlGroup::refresh);
    refresh();
}

QString TrackingControlGroup::statusText() const
{
    return m_status->text();
}

void TrackingControlGroup::refresh()
{
    const bool tracking = m_tracker.isTracking();
    static_cast<Dot*>(m_dot)->setColor(tracking ? QColor(52, 199, 89) : QColor(142, 142, 147));
    m_status->setText(tracking ? QStringLiteral("Active") : QStringLiteral("Paused"));
    ShellStyle::setTextColor(*m_status, tracking ? Theme::primaryButton() : Theme::primaryText());
    m_pill->setAccessibleName(QStringLiteral("Tracking ") + m_status->text());
    const QString label = tracking ? QStringLiteral("Stop") : QStringLiteral("Resume");
    const QColor color = tracking ? Theme::secondaryText() : Theme::primaryButton();
    m_toggle->setText(label);
    m_toggle->setAccessibleName(label);
    m_toggle->setStyleSheet(
        QStringLiteral(
            "QToolButton { border: none; background: transparent; padding: 2px 10px; color: rgba(%1, %2, %3, %4); }")
            .arg(color.red())
            .arg(color.green())
            .arg(color.blue())
            .arg(color.alpha()));
}

void TrackingControlGroup::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Theme::withOpacity(Theme::secondaryText(), 0.1), 1));
    painter.setBrush(Theme::withOpacity(Theme::secondaryText(), 0.1));
    painter.drawRoundedRect(frame, 12, 12);
}

} // namespace quillora
