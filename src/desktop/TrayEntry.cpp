#include "desktop/TrayEntry.h"

#include "ui/GlyphIcon.h"
#include "ui/Theme.h"

#include <QMenu>
#include <QSystemTrayIcon>

namespace quillora {

TrayEntry::TrayEntry(QObject* parent)
    : QObject(parent)
    , m_menu(new QMenu)
    , m_icon(new QSystemTrayIcon(this))
{
    m_menu->setObjectName(QStringLiteral("tray-menu"));
    m_menu->setTitle(QStringLiteral("Quillora"));
    m_menu->addAction(QStringLiteral("Show History"), this, &TrayEntry::showHistoryRequested);
    m_menu->addAction(QStringLiteral("Settings..."), this, &TrayEntry::settingsRequested);
    m_menu->addSeparator();
    m_menu->addAction(QStringLiteral("Quit"), this, &TrayEntry::quitRequested);

    m_icon->setIcon(glyphIcon(Glyph::Sparkles, Theme::primaryButton(), 22));
    m_icon->setToolTip(QStringLiteral("Quillora"));
    m_icon->setContextMenu(m_menu);
    // A plain click on the entry opens the history, as most tray entries do.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            Q_EMIT showHistoryRequested();
        }
    });
}

TrayEntry::~TrayEntry()
{
    delete m_menu;
}

bool TrayEntry::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayEntry::show()
{
    m_icon->show();
}

} // namespace quillora
