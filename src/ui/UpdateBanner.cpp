#include "ui/UpdateBanner.h"

#include "app/UpdateManager.h"
#include "platform/Workspace.h"
#include "ui/GlyphView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace quillora {

UpdateBanner::UpdateBanner(UpdateManager& manager, Workspace& workspace, QWidget* parent)
    : QWidget(parent)
    , m_manager(manager)
    , m_workspace(workspace)
{
    setObjectName(QStringLiteral("update-banner"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(8);
    row->addWidget(new GlyphView(Glyph::ArrowUpCircleFill, 16, Qt::white, this));
    m_message = ShellStyle::label(QString(), SystemFont::font(13, QFont::Bold), Qt::white, this);
    m_message->setObjectName(QStringLiteral("update-message"));
    row->addWidget(m_message);
    row->addStretch(1);

    QToolButton* later = ShellStyle::plainButton(QStringLiteral("Later"), SystemFont::font(12, QFont::Medium),
                                                 Theme::withOpacity(Qt::white, 0.8), std::nullopt, this);
    later->setObjectName(QStringLiteral("update-later-btn"));
    row->addWidget(later);
    QToolButton* now =
        ShellStyle::prominentButton(QStringLiteral("Update Now"), Qt::white, Theme::primaryButton(), 14, this);
    now->setObjectName(QStringLiteral("update-now-btn"));
    now->setFont(SystemFont::font(12, QFont::Bold));
    now->setStyleSheet(now->styleSheet() + QStringLiteral("QToolButton { padding: 8px 16px; }"));
    row->addWidget(now);

    connect(later, &QToolButton::clicked, this, [this] { m_manager.dismiss(); });
    connect(now, &QToolButton::clicked, this, [this] {
        if (const auto& url = m_manager.updateURL()) {
            m_workspace.openURL(*url);
        }
    });
    connect(&m_manager, &UpdateManager::latestVersionChanged, this, &UpdateBanner::refresh);
    connect(&m_manager, &UpdateManager::updateURLChanged, this, &UpdateBanner::refresh);
    refresh();
}

QString UpdateBanner::message() const
{
    return m_message->text();
}

void UpdateBanner::refresh()
{
    const bool due = m_manager.latestVersion() && m_manager.shouldShowBanner();
    if (due) {
        m_message->setText(QStringLiteral("New Version Available: v") + *m_manager.latestVersion());
    }
    setVisible(due);
}

void UpdateBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::primaryButton());
}

} // namespace quillora
