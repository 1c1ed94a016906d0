#include "ui/PolishedResultsView.h"

#include "platform/Pasteboard.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/CardEntrance.h"
#include "ui/CircleButton.h"
#include "ui/FloatingPanel.h"
#include "ui/GlyphView.h"
#include "ui/ResultCard.h"
#include "ui/SkeletonCard.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr int kListPadding = 16;

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color)
{
    auto* label = new QLabel(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

QColor errorRed()
{
    return Theme::isDark() ? QColor(255, 69, 58) : QColor(255, 59, 48);
}

/** A box with a rounded, faintly tinted background. */
class TintedBox final : public QWidget
{
public:
    TintedBox(QColor tint, double radius)
        : m_tint(tint)
        , m_radius(radius)
    {
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_tint);
        painter.drawRoundedRect(QRectF(rect()), m_radius, m_radius);
    }

private:
    QColor m_tint;
    double m_radius;
};

/** A hairline across the panel. */
class Divider final : public QWidget
{
public:
    Divider() { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::withOpacity(Theme::primaryText(), 0.3 * 0.35));
    }
};

} // namespace

PolishedResultsView::PolishedResultsView(QList<PolishedResult> results, bool isPolishing,
                                         std::optional<QString> errorMessage, Actions actions,
                                         const ResultActions& cardActions, QWidget* parent)
    : QWidget(parent)
    , m_results(std::move(results))
    , m_actions(std::move(actions))
    , m_cardActions(cardActions)
    , m_content(errorMessage         ? Content::Error
                : isPolishing        ? Content::Placeholders
                : !m_results.empty() ? Content::Results
                                     : Content::Empty)
{
    setObjectName(QStringLiteral("polishedResultsView"));
    setFixedSize(viewWidth, viewHeight);
    setAttribute(Qt::WA_TranslucentBackground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new Divider);
    switch (m_content) {
    case Content::Error:
        column->addWidget(makeErrorBox(*errorMessage));
        break;
    case Content::Placeholders:
        column->addWidget(makePlaceholders());
        break;
    case Content::Results:
        column->addWidget(makeResultList());
        break;
    case Content::Empty:
        column->addWidget(makeEmptyState());
        break;
    }
    if (m_content == Content::Results && !m_actions.original.isEmpty() &&
        Platform::current().userDefaults().boolValue(QLatin1String(showChangesKey))) {
        applyChanges(true);
    }
}

QList<ResultCard*> PolishedResultsView::cards() const
{
    QList<ResultCard*> cards;
    for (CardEntrance* entrance : m_entrances) {
        cards.append(static_cast<ResultCard*>(&entrance->card()));
    }
    return cards;
}

void PolishedResultsView::applyChanges(bool on)
{
    for (ResultCard* card : cards()) {
        card->showChanges(on ? std::optional<QString>(m_actions.original) : std::nullopt);
    }
}

QWidget* PolishedResultsView::makeHeader()
{
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(16, 14, 16, 12);
    row->setSpacing(6);
    row->addWidget(new GlyphView(Glyph::Sparkles, 15, Theme::primaryButton()));
    auto* title = makeLabel(QStringLiteral("Quillora"), SystemFont::font(14, QFont::Bold), Theme::primaryText());
    title->setObjectName(QStringLiteral("title"));
    row->addWidget(title);
    row->addStretch(1);
    if (m_content == Content::Results && !m_actions.original.isEmpty()) {
        // Marks, on every card, what the variation changed; the choice is remembered.
        UserDefaults& defaults = Platform::current().userDefaults();
        auto* changes = new QToolButton;
        changes->setObjectName(QStringLiteral("showChanges"));
        changes->setText(QStringLiteral("Changes"));
        changes->setToolTip(QStringLiteral("Mark what each variation changed"));
        changes->setCheckable(true);
        changes->setChecked(defaults.boolValue(QLatin1String(showChangesKey)));
        changes->setAutoRaise(true);
        connect(changes, &QToolButton::toggled, this, [this, &defaults](bool on) {
            defaults.set(QLatin1String(showChangesKey), on);
            applyChanges(on);
        });
        row->addWidget(changes);
    }
    auto* close = new CircleButton(22, [](QPainter& painter, const QRectF& rect) {
        painter.setPen(Theme::secondaryText());
        painter.setFont(SystemFont::font(11, QFont::Medium));
        painter.drawText(rect, Qt::AlignCenter, QStringLiteral("✕"));
    });
    close->setObjectName(QStringLiteral("closeButton"));
    close->setToolTip(QStringLiteral("Close"));
    connect(close, &QAbstractButton::clicked, this, [this] {
        if (m_actions.onClose) {
            m_actions.onClose();
        }
    });
    row->addWidget(close);
    return header;
}

QWidget* PolishedResultsView::makeErrorBox(const QString& message) const
{
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("errorArea"));
    auto* outer = new QVBoxLayout(area);
    outer->setContentsMargins(16, 16, 16, 16);

    auto* box = new TintedBox(Theme::withOpacity(errorRed(), 0.08), 12);
    box->setObjectName(QStringLiteral("errorBox"));
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(14, 14, 14, 14);
    column->setSpacing(8);
    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(5);
    titleRow->addWidget(new GlyphView(Glyph::ExclamationTriangle, 13, errorRed()));
    auto* title = makeLabel(QStringLiteral("Something went wrong"), SystemFont::font(12, QFont::DemiBold), errorRed());
    title->setObjectName(QStringLiteral("errorTitle"));
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    column->addLayout(titleRow);
    auto* text = makeLabel(message, SystemFont::font(11), Theme::withOpacity(errorRed(), 0.8));
    text->setObjectName(QStringLiteral("errorMessage"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(text);

    outer->addWidget(box);
    outer->addStretch(1);
    return area;
}

QWidget* PolishedResultsView::makePlaceholders() const
{
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("placeholders"));
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(kListPadding, kListPadding, kListPadding, kListPadding);
    column->setSpacing(10);
    for (int i = 0; i < 3; ++i) {
        column->addWidget(new SkeletonCard);
    }
    column->addStretch(1);
    return area;
}

QWidget* PolishedResultsView::makeResultList()
{
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(kListPadding, kListPadding, kListPadding, kListPadding + 4);
    column->setSpacing(10);
    for (qsizetype index = 0; index < m_results.size(); ++index) {
        const PolishedResult& result = m_results.at(index);
        auto* card = new ResultCard(result, m_cardActions, m_actions.onSelect);
        // Keys 1–9 use the first nine cards; each shows its number.
        if (index < 9) {
            card->setNumber(int(index) + 1);
        }
        auto* entrance = new CardEntrance(card, entranceStagger * static_cast<double>(index));
        m_entrances.append(entrance);
        column->addWidget(entrance);
    }
    column->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("resultList"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setWidget(list);
    // Transparent all the way down, so the panel's backdrop shows between the cards.
    scroll->viewport()->setAutoFillBackground(false);
    list->setAutoFillBackground(false);
    return scroll;
}

QWidget* PolishedResultsView::makeEmptyState() const
{
    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("emptyState"));
    auto* column = new QVBoxLayout(area);
    column->setSpacing(10);
    column->addStretch(1);
    auto* glyph = new GlyphView(Glyph::Sparkles, 24, Theme::withOpacity(Theme::secondaryText(), 0.4));
    column->addWidget(glyph, 0, Qt::AlignHCenter);
    auto* text = makeLabel(QStringLiteral("Waiting for selection…"), SystemFont::font(10), Theme::secondaryText());
    text->setObjectName(QStringLiteral("emptyText"));
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return area;
}

void PolishedResultsView::paintEvent(QPaintEvent* /*event*/)
{
    // Qt has no blur of what lies behind a window; a nearly opaque material colour stands in.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    QColor material = Theme::isDark() ? QColor(40, 40, 44, 238) : QColor(246, 246, 248, 238);
    // Where nothing composites, translucency would blend with black: the panel is opaque there.
    if (const auto* panel = qobject_cast<const FloatingPanel*>(window()); panel && panel->isShaped()) {
        material.setAlpha(255);
    }
    painter.fillPath(shape, material);
    painter.setPen(QPen(Theme::withOpacity(Theme::primaryText(), 0.1), 1));
    painter.drawPath(shape);
}

} // namespace quillora
