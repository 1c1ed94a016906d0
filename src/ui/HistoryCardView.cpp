#include "ui/HistoryCardView.h"

#include "ui/ElidedLabel.h"
#include "ui/FullTextDialog.h"
#include "ui/GlyphView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr int kPadding = 20;
constexpr double kRadius = 16;

// The card keeps a margin around its body for the shadow, which falls 4 points down.
constexpr int kShadowMargin = 8;

QFont bodyMonospaced()
{
    QFont font = SystemFont::font(12);
    font.setFamilies({QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    return font;
}

QFont bodySerif()
{
    QFont font = SystemFont::font(13);
    font.setFamilies({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
    return font;
}

class Divider final : public QWidget
{
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::withOpacity(Theme::primaryText(), 0.12));
    }
};

// The preset name as a small rounded tag.
QLabel* makeTag(const QString& presetName, QWidget* parent)
{
    QLabel* tag = ShellStyle::label(presetName.toUpper(), SystemFont::font(10, QFont::Bold), Theme::tagText(), parent);
    tag->setObjectName(QStringLiteral("preset-tag"));
    const QColor background = Theme::tagBackground();
    tag->setStyleSheet(QStringLiteral("QLabel { background: rgb(%1, %2, %3); border-radius: 6px; padding: 4px 8px; }")
                           .arg(background.red())
                           .arg(background.green())
                           .arg(background.blue()));
    return tag;
}

// A quiet line about a variation: what the service said of it.
QLabel* quietLine(const QString& text, const QString& name, QWidget* parent)
{
    QLabel* line = ShellStyle::label(text, SystemFont::font(10), Theme::secondaryText(), parent);
    line->setObjectName(name);
    line->setTextFormat(Qt::PlainText);
    line->setWordWrap(true);
    return line;
}

QWidget* makeBadge(const HistoryItem& item, QWidget* parent)
{
    auto* badge = new QWidget(parent);
    badge->setObjectName(QStringLiteral("model-badge"));
    const QColor color = Theme::withOpacity(Theme::primaryButton(), 0.7);
    const QFont font = SystemFont::font(9, QFont::Medium);
    auto* row = new QHBoxLayout(badge);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(4);
    row->addWidget(new GlyphView(Glyph::Cpu, 10, color, badge));
    // A long model name is cut to the room the card leaves it: it must never widen the card.
    auto* model = new ElidedLabel(*item.modelUsed, font, color, badge);
    model->setObjectName(QStringLiteral("model-name"));
    row->addWidget(model, 1);
    row->addWidget(ShellStyle::label(QStringLiteral("•"), font, color, badge));
    row->addWidget(new GlyphView(Glyph::Timer, 10, color, badge));
    QLabel* time = ShellStyle::label(QString::asprintf("%.2fs", *item.responseTime), font, color, badge);
    time->setObjectName(QStringLiteral("response-time"));
    row->addWidget(time);
    const QColor fill = Theme::withOpacity(Theme::primaryButton(), 0.05);
    const QColor outline = Theme::withOpacity(Theme::primaryButton(), 0.15);
    badge->setAttribute(Qt::WA_StyledBackground);
    badge->setStyleSheet(
        QStringLiteral("#model-badge { background: rgba(%1, %2, %3, %4); border: 1px solid rgba(%5, %6, "
                       "%7, %8); border-radius: 4px; }")
            .arg(fill.red())
            .arg(fill.green())
            .arg(fill.blue())
            .arg(fill.alpha())
            .arg(outline.red())
            .arg(outline.green())
            .arg(outline.blue())
            .arg(outline.alpha()));
    if (const auto text = HistoryCardView::badgeText(item)) {
        badge->setAccessibleName(*text);
        badge->setAccessibleDescription(*text);
        badge->setToolTip(*text);
    }
    badge->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return badge;
}

} // namespace

HistoryCardView::HistoryCardView(HistoryItem item, Actions actions, QWidget* parent)
    : QWidget(parent)
    , m_item(std::move(item))
    , m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("history-card-") + m_item.id.toString(QUuid::WithoutBraces).toUpper());
    setAccessibleName(m_item.originalText);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kShadowMargin + kPadding, kShadowMargin / 2 + kPadding, kShadowMargin + kPadding,
                               kShadowMargin * 3 / 2 + kPadding);
    column->setSpacing(10);

    // Header: the original text with its copy button, then the date and the badge.
    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(new GlyphView(Glyph::QuoteOpening, 12, Theme::withOpacity(Theme::primaryButton(), 0.6), this), 0,
                      Qt::AlignTop);
    // Only the start of a long text is laid out: the label shows three lines of it at most.
    QLabel* original =
        ShellStyle::label(FullTextDialog::preview(m_item.originalText), bodyMonospaced(), Theme::primaryText(), this);
    original->setTextFormat(Qt::PlainText);
    original->setObjectName(QStringLiteral("original-text"));
    original->setWordWrap(true);
    // A word wider than the card (an address, say) breaks anywhere instead of widening the card.
    original->setMinimumWidth(1);
    original->setTextInteractionFlags(Qt::TextSelectableByMouse);
    original->setMaximumHeight(QFontMetrics(original->font()).lineSpacing() * 3 + 2);
    original->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    header->addWidget(original, 1);
    QToolButton* copyOriginal = ShellStyle::glyphButton(Glyph::DocOnDoc, 14, Theme::secondaryText(),
                                                        QStringLiteral("Copy original text"), false, this);
    copyOriginal->setObjectName(QStringLiteral("copy-original-btn"));
    connect(copyOriginal, &QToolButton::clicked, this, [this] { m_actions.copy(m_item.originalText); });
    header->addWidget(copyOriginal, 0, Qt::AlignTop);
    column->addLayout(header);

    auto* meta = new QHBoxLayout;
    meta->setContentsMargins(20, 0, 0, 0);
    meta->setSpacing(8);
    QLabel* date =
        ShellStyle::label(dateText(m_item.timestamp, QLocale()), SystemFont::font(10), Theme::secondaryText(), this);
    date->setObjectName(QStringLiteral("history-date"));
    meta->addWidget(date);
    if (badgeText(m_item)) {
        meta->addWidget(makeBadge(m_item, this), 1);
    }
    meta->addStretch(0);
    column->addLayout(meta);

    // The divider runs across the padding to the card's edges.
    auto* divider = new QHBoxLayout;
    divider->setContentsMargins(-kPadding, 0, -kPadding, 0);
    divider->addWidget(new Divider(this));
    column->addLayout(divider);

    for (const PolishedResult& result : m_item.polishedResults) {
        column->addWidget(makeResultBlock(result));
    }
}

QWidget* HistoryCardView::makeResultBlock(const PolishedResult& result)
{
    auto* block = new QWidget(this);
    block->setObjectName(QStringLiteral("result-") + result.id.toString(QUuid::WithoutBraces).toUpper());
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 4, 0, 4);
    column->setSpacing(8);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(makeTag(result.presetName, block));
    row->addStretch(1);
    QToolButton* copy =
        ShellStyle::glyphButton(Glyph::DocOnDoc, 12, Theme::secondaryText(), QStringLiteral("Copy"), true, block);
    copy->setObjectName(QStringLiteral("copy-result-btn"));
    QToolButton* paste = ShellStyle::glyphButton(Glyph::ArrowRightDocOnClipboard, 12, Theme::secondaryText(),
                                                 QStringLiteral("Paste & Replace"), true, block);
    paste->setObjectName(QStringLiteral("paste-result-btn"));
    const QString content = result.content;
    connect(copy, &QToolButton::clicked, this, [this, content] { m_actions.copy(content); });
    connect(paste, &QToolButton::clicked, this, [this, content] { m_actions.paste(content); });
    row->addWidget(copy);
    row->addWidget(paste);
    column->addLayout(row);
    if (result.correctionsOnly) {
        column->addWidget(quietLine(QString::fromLatin1(PolishedResult::correctionsOnlyText),
                                    QStringLiteral("corrections-only-note"), block));
    }
    if (result.note) {
        column->addWidget(quietLine(*result.note, QStringLiteral("answer-note"), block));
    }
    // A long variation is laid out only up to its preview; the whole text opens on demand.
    QLabel* text = ShellStyle::label(FullTextDialog::preview(content), bodySerif(), Theme::primaryText(), block);
    text->setObjectName(QStringLiteral("result-content"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setMinimumWidth(1);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(text);
    if (FullTextDialog::isLong(content)) {
        QToolButton* showAll = ShellStyle::plainButton(QStringLiteral("Show all"), SystemFont::font(10),
                                                       Theme::primaryButton(), {}, block);
        showAll->setObjectName(QStringLiteral("show-all-btn"));
        const QString title = result.presetName;
        connect(showAll, &QToolButton::clicked, this,
                [this, title, content] { FullTextDialog::open(title, content, true, window()); });
        column->addWidget(showAll, 0, Qt::AlignLeft);
    }
    return block;
}

QString HistoryCardView::dateText(const QDateTime& timestamp, const QLocale& locale)
{
    // The locale's long date with the month abbreviated and without the weekday: "Dec 7, 2025".
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.replace(QLatin1String("MMMM"), QLatin1String("MMM"));
    for (const QLatin1String weekday : {QLatin1String("dddd, "), QLatin1String("dddd "), QLatin1String("dddd")}) {
        format.remove(weekday);
    }
    const QDateTime local = timestamp.toLocalTime();
    // The short time without seconds, as some locales' short format carries them.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(QLatin1String(":ss"));
    return locale.toString(local.date(), format.trimmed()) + QStringLiteral(", ") +
           locale.toString(local.time(), timeFormat);
}

std::optional<QString> HistoryCardView::badgeText(const HistoryItem& item)
{
    if (!item.modelUsed || !item.responseTime) {
        return std::nullopt;
    }
    return *item.modelUsed + QStringLiteral(" • ") + QString::asprintf("%.2fs", *item.responseTime);
}

void HistoryCardView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QRectF body =
        QRectF(rect()).adjusted(kShadowMargin, kShadowMargin / 2.0, -kShadowMargin, -kShadowMargin * 1.5);
    ShellStyle::paintCard(painter, body, kRadius, Theme::cardBackground(), 0.06, 8, 4);
}

} // namespace quillora
