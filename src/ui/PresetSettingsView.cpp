#include "ui/PresetSettingsView.h"

#include "app/PresetManager.h"
#include "ui/GlyphView.h"
#include "ui/PresetEditorView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace quillora {

/**
 * The rows, dragged to reorder. The drop itself is not applied to the list widget: it is handed
 * to the preset manager, whose change rebuilds the rows.
 */
class PresetList final : public QListWidget
{
public:
    using OnMove = std::function<void(int from, int destination)>;

    PresetList(OnMove onMove, QWidget* parent)
        : QListWidget(parent)
        , m_onMove(std::move(onMove))
    {
        setObjectName(QStringLiteral("preset-list"));
        setAccessibleName(QStringLiteral("Presets"));
        setDragDropMode(QAbstractItemView::InternalMove);
        setDefaultDropAction(Qt::MoveAction);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFrameShape(QFrame::NoFrame);
        viewport()->setAutoFillBackground(false);
        setAutoFillBackground(false);
        setStyleSheet(
            QStringLiteral("QListWidget { background: transparent; } QListWidget::item { background: transparent; }"
                           "QListWidget::item:selected { background: transparent; }"));
    }

    /** Sizes the list to its rows: 60 points each, at least one row's height, so it never scrolls. */
    void fitRows() { setFixedHeight(std::max(1, count()) * PresetSettingsView::rowHeight); }

protected:
    void dropEvent(QDropEvent* event) override
    {
        const int from = currentRow();
        const QModelIndex target = indexAt(event->position().toPoint());
        int destination = target.isValid() ? target.row() : count();
        if (target.isValid() && dropIndicatorPosition() == QAbstractItemView::BelowItem) {
            ++destination;
        }
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
        if (from >= 0) {
            m_onMove(from, destination);
        }
    }

    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(viewport());
        ShellStyle::paintCard(painter, QRectF(viewport()->rect()).adjusted(0, 0, 0, 0), 16, Theme::cardBackground(), 0,
                              0, 0);
        painter.end();
        QListWidget::paintEvent(event);
    }

private:
    OnMove m_onMove;
};

namespace {

QWidget* makeRow(const PolishPreset& preset, const std::function<void()>& onEdit, const std::function<void()>& onDelete)
{
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("preset-row-") + preset.id.toString(QUuid::WithoutBraces).toUpper());
    row->setAccessibleName(preset.name);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(20, 12, 20, 12);
    layout->setSpacing(12);
    layout->addWidget(
        new GlyphView(Glyph::LineThreeHorizontal, 10, Theme::withOpacity(Theme::secondaryText(), 0.5), row));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    QLabel* name = ShellStyle::label(preset.name, SystemFont::font(13, QFont::DemiBold), Theme::primaryText(), row);
    name->setObjectName(QStringLiteral("preset-name"));
    texts->addWidget(name);
    QLabel* instruction = ShellStyle::label(QString(), SystemFont::font(11), Theme::secondaryText(), row);
    instruction->setObjectName(QStringLiteral("preset-instruction"));
    instruction->setText(
        QFontMetrics(instruction->font()).elidedText(preset.instruction.simplified(), Qt::ElideRight, 280));
    instruction->setToolTip(preset.instruction);
    texts->addWidget(instruction);
    layout->addLayout(texts, 1);
    QToolButton* edit = ShellStyle::plainButton(QStringLiteral("Edit"), SystemFont::font(11, QFont::Medium),
                                                Theme::primaryButton(), std::nullopt, row);
    edit->setObjectName(QStringLiteral("edit-preset-btn"));
    edit->setAccessibleName(QStringLiteral("Edit ") + preset.name);
    QObject::connect(edit, &QToolButton::clicked, row, onEdit);
    layout->addWidget(edit);
    QToolButton* remove = ShellStyle::glyphButton(Glyph::Trash, 12, Theme::withOpacity(QColor(255, 59, 48), 0.6),
                                                  QStringLiteral("Delete preset"), false, row);
    remove->setObjectName(QStringLiteral("delete-preset-btn"));
    QObject::connect(remove, &QToolButton::clicked, row, onDelete);
    layout->addWidget(remove);
    return row;
}

} // namespace

PresetSettingsView::PresetSettingsView(PresetManager& presets, QWidget* parent)
    : QWidget(parent)
    , m_presets(presets)
    , m_list(new PresetList([this](int from, int destination) { movePresets({from}, destination); }, this))
{
    setObjectName(QStringLiteral("preset-settings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(4, 0, 4, 0);
    header->addWidget(ShellStyle::label(QStringLiteral("Polishing Presets"), SystemFont::font(14, QFont::Bold),
                                        Theme::primaryText(), this));
    header->addStretch(1);
    QToolButton* add = ShellStyle::glyphButton(Glyph::PlusCircleFill, 16, Theme::primaryButton(),
                                               QStringLiteral("Add preset"), false, this);
    add->setObjectName(QStringLiteral("add-preset-btn"));
    connect(add, &QToolButton::clicked, this, [this] { openEditor(std::nullopt); });
    header->addWidget(add);
    column->addLayout(header);
    column->addWidget(m_list);
    column->addStretch(1);
    connect(&m_presets, &PresetManager::presetsChanged, this, &PresetSettingsView::rebuild);
    rebuild();
}

PresetSettingsView::~PresetSettingsView() = default;

void PresetSettingsView::movePresets(const QList<int>& offsets, int destination)
{
    m_presets.move(offsets, destination);
}

void PresetSettingsView::rebuild()
{
    m_list->clear();
    for (const PolishPreset& preset : m_presets.presets()) {
        auto* item = new QListWidgetItem(m_list);
        item->setSizeHint(QSize(0, rowHeight));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        const QUuid id = preset.id;
        m_list->setItemWidget(item, makeRow(
                                        preset,
                                        [this, id] {
                                            for (const PolishPreset& current : m_presets.presets()) {
                                                if (current.id == id) {
                                                    openEditor(current);
                                                }
                                            }
                                        },
                                        [this, id] { deletePreset(id); }));
    }
    m_list->fitRows();
}

void PresetSettingsView::openEditor(std::optional<PolishPreset> preset)
{
    const bool adding = !preset;
    m_editor = new PresetEditorView(
        std::move(preset),
        [this, adding](const PolishPreset& finished) {
            // Started and left to run: the list changes when the backend confirms.
            if (adding) {
                auto task = m_presets.addPreset(finished.name, finished.instruction);
                Q_UNUSED(task);
            } else {
                auto task = m_presets.updatePreset(finished);
                Q_UNUSED(task);
            }
        },
        this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    m_editor->open();
}

void PresetSettingsView::deletePreset(const QUuid& id)
{
    const QList<PolishPreset>& presets = m_presets.presets();
    for (int offset = 0; offset < presets.size(); ++offset) {
        if (presets[offset].id == id) {
            auto task = m_presets.deletePreset({offset});
            Q_UNUSED(task);
            return;
        }
    }
}

} // namespace quillora
