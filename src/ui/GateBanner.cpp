#include "ui/GateBanner.h"

#include "ui/GlyphView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace quillora {

GateBanner::Look GateBanner::warning()
{
    return Look{Glyph::ExclamationTriangle,
                QColor(255, 149, 0),
                QStringLiteral("Accessibility is off, so Quillora cannot read selected text."),
                QStringLiteral("Turn it on for this session: tracking starts at once, without restarting Quillora."),
                QStringLiteral("Turn On Accessibility"),
                QStringLiteral("open-settings-btn")};
}

GateBanner::Look GateBanner::granted()
{
    return Look{Glyph::CheckmarkCircleFill,
                QColor(52, 168, 83),
                QStringLiteral("Accessibility is on."),
                QStringLiteral("Quillora reads selections from now on; it needs no restart."),
                QStringLiteral("Restart Quillora"),
                QStringLiteral("restart-now-btn")};
}

GateBanner::GateBanner(Look look, const QString& objectName, QWidget* parent)
    : QWidget(parent)
    , m_look(std::move(look))
{
    setObjectName(objectName);
    setAccessibleName(m_look.title);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 13);
    row->setSpacing(10);
    row->addWidget(new GlyphView(m_look.glyph, 16, m_look.tint, this), 0, Qt::AlignVCenter);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    QLabel* title = ShellStyle::label(m_look.title, SystemFont::font(11, QFont::Bold), Theme::primaryText(), this);
    title->setWordWrap(true);
    m_detail = ShellStyle::label(m_look.detail, SystemFont::font(10), Theme::secondaryText(), this);
    m_detail->setObjectName(objectName + QStringLiteral("-detail"));
    m_detail->setWordWrap(true);
    texts->addWidget(title);
    texts->addWidget(m_detail);
    row->addLayout(texts, 1);
    m_action = ShellStyle::prominentButton(m_look.action, m_look.tint, Qt::white, 5, this);
    m_action->setObjectName(m_look.actionName);
    m_action->setFont(SystemFont::font(11, QFont::DemiBold));
    row->addWidget(m_action, 0, Qt::AlignVCenter);
}

QString GateBanner::detail() const
{
    return m_detail->text();
}

void GateBanner::setDetail(const QString& text)
{
    m_detail->setText(text);
}

void GateBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::withOpacity(m_look.tint, 0.1));
    painter.fillRect(QRect(0, height() - 1, width(), 1), Theme::withOpacity(m_look.tint, 0.2));
}

} // namespace quillora
