#include "ui/ContentView.h"

#include "app/HistoryFilter.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PermissionGate.h"
#include "app/SelectionTracker.h"
#include "platform/Pasteboard.h"
#include "ui/EmptyStateView.h"
#include "ui/GateBanner.h"
#include "ui/HistoryCardView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"
#include "ui/UpdateBanner.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

// The control bar: the card colour with a faint shadow cast upwards over the list.
class ControlBar final : public QWidget
{
public:
    explicit ControlBar(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("control-bar"));
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::cardBackground());
        painter.fillRect(QRect(0, 0, width(), 1), QColor(0, 0, 0, 13));
        painter.fillRect(QRect(0, 1, width(), 1), QColor(0, 0, 0, 6));
    }
};

} // namespace

ContentView::ContentView(ShellServices services, PermissionGate& gate, QWidget* parent)
    : QWidget(parent)
    , m_services(services)
    , m_gate(gate)
    , m_warning(new GateBanner(GateBanner::warning(), QStringLiteral("permission-warning"), this))
    , m_restartPrompt(new GateBanner(GateBanner::restartPrompt(), QStringLiteral("restart-prompt"), this))
    , m_updateBanner(new UpdateBanner(services.updates, services.workspace, this))
    , m_list(new QScrollArea(this))
    , m_emptyState(new EmptyStateView)
{
    setObjectName(QStringLiteral("content-view"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_warning);
    column->addWidget(m_restartPrompt);
    column->addWidget(m_updateBanner);

    m_list->setObjectName(QStringLiteral("history-list"));
    m_list->setAccessibleName(QStringLiteral("History"));
    m_list->setWidgetResizable(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* body = new QWidget;
    body->setObjectName(QStringLiteral("history-list-body"));
    body->setAutoFillBackground(false);
    m_listColumn = new QVBoxLayout(body);
    // The cards keep a margin of their own for their shadows; together with it the column's
    // padding and spacing come to 20 points.
    m_listColumn->setContentsMargins(12, 16, 12, 12);
    m_listColumn->setSpacing(8);
    m_listColumn->addWidget(m_emptyState);
    m_listColumn->addStretch(1);
    m_list->setWidget(body);
    m_list->viewport()->setAutoFillBackground(false);
    column->addWidget(m_list, 1);
    column->addWidget(makeControlBar());

    connect(&m_warning->actionButton(), &QToolButton::clicked, this, [this] {
        const QString message = m_gate.openSettings();
        if (!message.isEmpty()) {
            m_warning->setDetail(message);
        }
    });
    connect(&m_restartPrompt->actionButton(), &QToolButton::clicked, this, [this] { m_gate.restartApp(); });
    connect(&m_gate, &PermissionGate::changed, this, &ContentView::refreshGate);
    connect(&m_services.history, &HistoryManager::itemsChanged, this, &ContentView::rebuildList);
    connect(&m_services.tracker, &SelectionTracker::isPolishingChanged, this, &ContentView::refreshPolishing);
    refreshGate();
    rebuildList();
    refreshPolishing();
}

QWidget* ContentView::makeControlBar()
{
    auto* bar = new ControlBar(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(20, 12, 20, 12);
    const QFont caption = SystemFont::font(11);

    QToolButton* clear = ShellStyle::plainButton(QStringLiteral("Clear History"), caption,
                                                 Theme::withOpacity(QColor(255, 59, 48), 0.8), Glyph::Trash, bar);
    clear->setObjectName(QStringLiteral("clear-history-btn"));
    connect(clear, &QToolButton::clicked, this, [this] { m_services.history.clearHistory(); });
    row->addWidget(clear);
    row->addStretch(1);

    m_polishing = new QWidget(bar);
    m_polishing->setObjectName(QStringLiteral("polishing-indicator"));
    auto* polishingRow = new QHBoxLayout(m_polishing);
    polishingRow->setContentsMargins(0, 0, 0, 0);
    polishingRow->setSpacing(6);
    auto* spinner = new QProgressBar(m_polishing);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedSize(40, 6);
    spinner->setAccessibleName(QStringLiteral("Polishing"));
    polishingRow->addWidget(spinner);
    polishingRow->addWidget(
        ShellStyle::label(QStringLiteral("Polishing..."), SystemFont::font(10), Theme::secondaryText(), m_polishing));
    row->addWidget(m_polishing);
    row->addStretch(1);

    QToolButton* check = ShellStyle::plainButton(QStringLiteral("Check Permissions"), caption, Theme::secondaryText(),
                                                 Glyph::ShieldCheckered, bar);
    check->setObjectName(QStringLiteral("check-permissions-btn"));
    connect(check, &QToolButton::clicked, this, [this] { m_gate.checkPermissions(); });
    row->addWidget(check);
    return bar;
}

void ContentView::setSearchText(const QString& text)
{
    if (text == m_searchText) {
        return;
    }
    m_searchText = text;
    rebuildList();
}

void ContentView::refreshGate()
{
    const PermissionGate::Banner banner = m_gate.banner();
    m_warning->setVisible(banner == PermissionGate::Banner::Warning);
    m_restartPrompt->setVisible(banner == PermissionGate::Banner::RestartPrompt);
}

void ContentView::rebuildList()
{
    qDeleteAll(m_cards);
    m_cards.clear();
    const QList<HistoryItem> items = HistoryFilter::filteredItems(m_services.history.items(), m_searchText);
    m_emptyState->setSearching(!m_searchText.isEmpty());
    m_emptyState->setVisible(items.isEmpty());
    const HistoryCardView::Actions actions{[this](const QString& text) {
                                               m_services.pasteboard.clearContents();
                                               m_services.pasteboard.setString(text);
                                           },
                                           [this](const QString& text) { m_services.pasteService.paste(text); }};
    for (const HistoryItem& item : items) {
        auto* card = new HistoryCardView(item, actions);
        m_listColumn->insertWidget(m_listColumn->count() - 1, card);
        m_cards.append(card);
    }
}

void ContentView::refreshPolishing()
{
    m_polishing->setVisible(m_services.tracker.isPolishing());
}

void ContentView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::background());
}

void ContentView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Colours are taken from the palette when the cards are made; a new scheme makes them anew.
    if (event->type() == QEvent::PaletteChange && !m_cards.isEmpty()) {
        rebuildList();
    }
}

} // namespace quillora
