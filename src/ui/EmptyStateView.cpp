#include "ui/EmptyStateView.h"

#include "ui/GlyphView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillora {

EmptyStateView::EmptyStateView(QWidget* parent)
    : QWidget(parent)
    , m_glyphSlot(new QWidget(this))
    , m_title(ShellStyle::label(QString(), SystemFont::font(17, QFont::Bold), Theme::primaryText(), this))
    , m_description(ShellStyle::label(QString(), SystemFont::font(12), Theme::secondaryText(), this))
{
    setObjectName(QStringLiteral("history-empty-state"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 40, 20, 20);
    column->setSpacing(8);
    auto* slotLayout = new QHBoxLayout(m_glyphSlot);
    slotLayout->setContentsMargins(0, 0, 0, 4);
    column->addWidget(m_glyphSlot, 0, Qt::AlignHCenter);
    m_title->setObjectName(QStringLiteral("history-empty-title"));
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    m_description->setAlignment(Qt::AlignHCenter);
    m_description->setWordWrap(true);
    column->addWidget(m_description);
    column->addStretch(1);
    setSearching(false);
}

void EmptyStateView::setSearching(bool searching)
{
    delete m_glyph;
    m_glyph = new GlyphView(searching ? Glyph::MagnifyingGlass : Glyph::Clock, 40, Theme::secondaryText(), m_glyphSlot);
    m_glyphSlot->layout()->addWidget(m_glyph);
    m_title->setText(searching ? QStringLiteral("No Matches") : QStringLiteral("No History Yet"));
    m_description->setText(searching ? QStringLiteral("Try a different search term.")
                                     : QStringLiteral("Selected text you polish will appear here."));
    setAccessibleName(m_title->text());
    setAccessibleDescription(m_description->text());
}

QString EmptyStateView::title() const
{
    return m_title->text();
}

QString EmptyStateView::description() const
{
    return m_description->text();
}

} // namespace quillora
