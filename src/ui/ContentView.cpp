#include "ui/ContentView.h"

#include "app/HistoryFilter.h"
#include "app/HistoryManager.h"
#include "app/PasteService.h"
#include "app/PermissionGate.h"
#include "app/SelectionTracker.h"
#include "capture/PasteboardExtension.h"
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
    , m_granted(new GateBanner(GateBanner::granted(), QStringLiteral("access-granted"), this))
    , m_updateBanner(new UpdateBanner(services.updates, services.workspace, this))
    , m_historyError(new QLabel(this))
    , m_accessNotice(new QLabel(this))
    , m_list(new QScrollArea(this))
    , m_emptyState(new EmptyStateView)
{
    setObjectName(QStringLiteral("content-view"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_warning);
    column->addWidget(m_granted);
    column->addWidget(m_updateBanner);
    // A history that cannot be read or saved is said where the history is shown, never hidden.
    for (QLabel* notice : {m_historyError, m_accessNotice}) {
        notice->setWordWrap(true);
        notice->setContentsMargins(16, 8, 16, 8);
        notice->setTextFormat(Qt::PlainText);
        notice->setStyleSheet(QStringLiteral("color: #c62828; background: rgba(198, 40, 40, 20);"));
        notice->hide();
        column->addWidget(notice);
    }
    m_historyError->setObjectName(QStringLiteral("history-error"));
    m_accessNotice->setObjectName(QStringLiteral("selection-access-notice"));
    m_accessNotice->setText(QStringLiteral("Quillora could not read a selection because accessibility access was "
                                           "refused. Press \"Check Permissions\", or enable accessibility and "
                                           "restart the application you selected text in."));

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

    connect(&m_warning->actionButton(), &QToolButton::clicked, &m_gate, &PermissionGate::openSettings);
    connect(&m_granted->actionButton(), &QToolButton::clicked, &m_gate, &PermissionGate::restartApp);
    connect(&m_gate, &PermissionGate::changed, this, &ContentView::refreshGate);
    connect(&m_services.history, &HistoryManager::itemsChanged, this, &ContentView::rebuildList);
    connect(&m_services.tracker, &SelectionTracker::isPolishingChanged, this, &ContentView::refreshPolishing);
    connect(&m_services.history, &HistoryManager::lastErrorChanged, this, &ContentView::refreshHistoryError);
    connect(&m_services.history, &HistoryManager::noticeChanged, this, &ContentView::refreshHistoryError);
    connect(&m_services.tracker, &SelectionTracker::selectionAccessDenied, m_accessNotice, &QWidget::show);
    refreshHistoryError();
    refreshGate();
    rebuildList();
    refreshPolishing();
}

void ContentView::refreshHistoryError()
{
    // An error first; else a late save or a file kept aside.
    std::optional<QString> error = m_services.history.lastError();
    if (!error) {
        error = m_services.history.notice();
    }
    m_historyError->setText(error.value_or(QString()));
    m_historyError->setVisible(error.has_value());
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
    m_granted->setVisible(banner == PermissionGate::Banner::Granted);
    // What the desktop said when access was asked for goes into the banner that shows: why access
    // is still missing, or which applications must be restarted now that it is on.
    const QString& notice = m_gate.settingsNotice();
    m_warning->setDetail(notice.isEmpty() ? GateBanner::warning().detail : notice);
    m_granted->setDetail(notice.isEmpty() ? GateBanner::granted().detail
                                          : GateBanner::granted().detail + u' ' + notice);
}

void ContentView::rebuildList()
{
    qDeleteAll(m_cards);
    m_cards.clear();
    const QList<HistoryItem> items = HistoryFilter::filteredItems(m_services.history.items(), m_searchText);
    m_emptyState->setSearching(!m_searchText.isEmpty());
    m_emptyState->setVisible(items.isEmpty());
    const HistoryCardView::Actions actions{
        [this](const QString& text) { capture::setString(m_services.pasteboard, text); },
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
