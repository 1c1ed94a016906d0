#include "ui/ResultCard.h"

#include "app/ResultActions.h"
#include "app/WordDiff.h"
#include "ui/AnimationClock.h"
#include "ui/CapsuleButton.h"
#include "ui/CircleButton.h"
#include "ui/FullTextDialog.h"
#include "ui/Glyphs.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr double kCornerRadius = 12;
constexpr int kAccentWidth = 3;
// Room below the card's body for its shadow, which falls 2 points down.
constexpr int kShadowRoom = 3;
constexpr double kMarkDuration = 0.15;

QColor copiedColor()
{
    return Theme::isDark() ? QColor(48, 209, 88) : QColor(40, 167, 69);
}

// The text as rich text that keeps its spaces and line breaks, with three points between lines.
QString contentMarkup(const QString& content)
{
    return QStringLiteral("<div style=\"white-space: pre-wrap; line-height: 124%;\">%1</div>")
        .arg(content.toHtmlEscaped());
}

// The same, with the changes from `original` marked.
QString changesMarkup(const QList<WordDiff::Segment>& segments)
{
    return QStringLiteral("<div style=\"white-space: pre-wrap; line-height: 124%;\">%1</div>")
        .arg(WordDiff::toHtml(segments));
}

} // namespace

ResultCard::ResultCard(PolishedResult result, const ResultActions& actions,
                       std::function<void(const QString&)> onSelect, QWidget* parent)
    : QFrame(parent)
    , m_result(std::move(result))
    , m_actions(actions)
    , m_onSelect(std::move(onSelect))
    , m_copyButton(
          new CircleButton(24, [this](QPainter& painter, const QRectF& rect) { paintCopySymbol(painter, rect); }))
    , m_useButton(new CapsuleButton(QStringLiteral("Use")))
    , m_content(new QLabel)
    , m_name(new QLabel(m_result.presetName.toUpper()))
    , m_ticker(
          this, [this] { return m_copiedAmount.isRunning(animationNow()); }, [this] { m_copyButton->update(); })
{
    setObjectName(QStringLiteral("resultCard"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    QLabel* name = m_name;
    name->setObjectName(QStringLiteral("presetName"));
    QFont nameFont = SystemFont::font(9, QFont::Bold);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    name->setFont(nameFont);
    QPalette namePalette = name->palette();
    namePalette.setColor(QPalette::WindowText, Theme::withOpacity(Theme::primaryButton(), 0.8));
    name->setPalette(namePalette);

    m_copyButton->setObjectName(QStringLiteral("copyButton"));
    m_copyButton->setToolTip(QStringLiteral("Copy"));
    m_useButton->setObjectName(QStringLiteral("useButton"));

    auto* topRow = new QHBoxLayout;
    topRow->setContentsMargins(0, 0, 0, 0);
    topRow->setSpacing(6);
    topRow->addWidget(name);
    topRow->addStretch(1);
    topRow->addWidget(m_copyButton);
    topRow->addWidget(m_useButton);

    m_content->setObjectName(QStringLiteral("content"));
    m_content->setTextFormat(Qt::RichText);
    m_content->setText(contentMarkup(shownText()));
    m_content->setFont(SystemFont::font(12.5));
    m_content->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_content->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Word wrap makes the height follow the width; it must come after the size policy, which
    // would otherwise clear that flag.
    m_content->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_content->setWordWrap(true);
    // A word wider than the panel breaks anywhere instead of widening the card.
    m_content->setMinimumWidth(1);
    QPalette contentPalette = m_content->palette();
    contentPalette.setColor(QPalette::WindowText, Theme::withOpacity(Theme::primaryText(), 0.85));
    m_content->setPalette(contentPalette);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kAccentWidth + 12, 11, 12, 11 + kShadowRoom);
    column->setSpacing(8);
    column->addLayout(topRow);
    // What the service said of this variation, in a quiet line above it.
    const auto addQuietLine = [this, column](const QString& text, const QString& name) {
        auto* line = new QLabel(text);
        line->setObjectName(name);
        line->setTextFormat(Qt::PlainText);
        line->setWordWrap(true);
        line->setFont(SystemFont::font(10));
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, Theme::secondaryText());
        line->setPalette(palette);
        column->addWidget(line);
        m_quietLines.append(line);
    };
    if (m_result.correctionsOnly) {
        addQuietLine(QString::fromLatin1(PolishedResult::correctionsOnlyText), QStringLiteral("correctionsOnly"));
    }
    if (m_result.note) {
        addQuietLine(*m_result.note, QStringLiteral("answerNote"));
    }
    column->addWidget(m_content);
    if (isClipped()) {
        // A long variation shows its start; the whole text opens in a scrollable window of its own.
        auto* showAll = new QToolButton;
        showAll->setObjectName(QStringLiteral("showAllButton"));
        showAll->setText(QStringLiteral("Show all"));
        showAll->setAutoRaise(true);
        showAll->setFocusPolicy(Qt::NoFocus);
        showAll->setFont(SystemFont::font(10, QFont::Medium));
        QPalette palette = showAll->palette();
        palette.setColor(QPalette::ButtonText, Theme::primaryButton());
        showAll->setPalette(palette);
        connect(showAll, &QToolButton::clicked, this,
                [this] { FullTextDialog::open(m_result.presetName, m_result.content, false, nullptr); });
        column->addWidget(showAll, 0, Qt::AlignLeft);
        m_showAllButton = showAll;
    }

    connect(m_copyButton, &QAbstractButton::clicked, this, [this] { copy(); });
    connect(m_useButton, &QAbstractButton::clicked, this, [this] { use(); });
}

QAbstractButton& ResultCard::copyButton() const
{
    return *m_copyButton;
}

QAbstractButton& ResultCard::useButton() const
{
    return *m_useButton;
}

void ResultCard::copy()
{
    // The mark promises that the text is on the pasteboard; a refused write shows none.
    if (!m_actions.copy(m_result)) {
        return;
    }
    setCopied(true);
    // Every press schedules its own reset, so the mark goes 1.5 s after the first of two presses.
    animationClock().singleShot(copiedDuration, this, [this] { setCopied(false); });
}

void ResultCard::use()
{
    m_actions.use(m_result, m_onSelect);
}

void ResultCard::setCopied(bool copied)
{
    if (copied == m_copied) {
        return;
    }
    m_copied = copied;
    m_copiedAmount.animate(copied ? 1.0 : 0.0, Easing::easeInOut(kMarkDuration), animationNow());
    m_copyButton->update();
    m_ticker.start();
}

void ResultCard::paintCopySymbol(QPainter& painter, const QRectF& rect) const
{
    // Cross-fade between the two symbols while the mark changes.
    const double amount = std::clamp(m_copiedAmount.value(animationNow()), 0.0, 1.0);
    const QRectF symbol(rect.center().x() - 6, rect.center().y() - 6, 12, 12);
    if (amount < 1) {
        drawGlyph(painter, Glyph::DocOnDoc, symbol, Theme::withOpacity(Theme::secondaryText(), 1 - amount));
    }
    if (amount > 0) {
        drawGlyph(painter, Glyph::Checkmark, symbol, Theme::withOpacity(copiedColor(), amount), true);
    }
}

bool ResultCard::isClipped() const
{
    return FullTextDialog::isLong(m_result.content);
}

QString ResultCard::shownText() const
{
    return FullTextDialog::preview(m_result.content);
}

void ResultCard::showChanges(const std::optional<QString>& original)
{
    // A clipped variation is shown without marks: comparing the whole of it costs too much, and
    // marks on a part would miscount.
    if (!original || isClipped()) {
        m_content->setText(contentMarkup(shownText()));
        m_content->setAccessibleDescription(QString());
        return;
    }
    const QList<WordDiff::Segment> segments = WordDiff::compare(*original, m_result.content);
    const int changes = WordDiff::changeCount(segments);
    m_content->setText(changesMarkup(segments));
    m_content->setAccessibleDescription(changes == 1 ? QStringLiteral("1 change")
                                                     : QStringLiteral("%1 changes").arg(changes));
}

void ResultCard::setNumber(int number)
{
    m_name->setText(number > 0 ? QStringLiteral("%1 · %2").arg(number).arg(m_result.presetName.toUpper())
                               : m_result.presetName.toUpper());
    // The number is the key that uses the card: it is in the name assistive technology reads.
    m_name->setAccessibleName(number > 0 ? QStringLiteral("%1, key %2").arg(m_result.presetName).arg(number)
                                         : m_result.presetName);
}

void ResultCard::setHighlighted(bool highlighted)
{
    if (m_highlighted != highlighted) {
        m_highlighted = highlighted;
        update();
    }
}

void ResultCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(0, 0, 0, -kShadowRoom);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 8));
    painter.drawRoundedRect(body.translated(0, 2).adjusted(-0.5, 0, 0.5, 1), kCornerRadius, kCornerRadius);
    painter.setBrush(QColor(0, 0, 0, 5));
    painter.drawRoundedRect(body.translated(0, 1), kCornerRadius, kCornerRadius);

    QPainterPath shape;
    shape.addRoundedRect(body, kCornerRadius, kCornerRadius);
    painter.fillPath(shape, Theme::cardBackground());
    painter.setClipPath(shape);
    painter.fillRect(QRectF(body.left(), body.top(), kAccentWidth, body.height()), Theme::primaryButton());
    if (m_highlighted) {
        painter.setClipping(false);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Theme::primaryButton(), 2));
        painter.drawRoundedRect(body.adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    }
}

} // namespace quillora
