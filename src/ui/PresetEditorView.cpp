#include "ui/PresetEditorView.h"

#include "app/AIPolishingService.h"
#include "app/PresetManager.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

// Spaces and tabs only: a line break alone still counts as content.
bool isBlank(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

class HeaderBand final : public QWidget
{
public:
    explicit HeaderBand(QWidget* parent)
        : QWidget(parent)
    {
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::withOpacity(Theme::secondaryText(), 0.05));
    }
};

QLabel* caption(const QString& text, QWidget* parent)
{
    return ShellStyle::label(text, SystemFont::font(10), Theme::secondaryText(), parent);
}

} // namespace

const QString PresetEditorView::hint =
    QStringLiteral("Describe a writing style only (e.g. \"Rewrite to sound professional\"). Max 300 characters.");

const QString PresetEditorView::engineNoteText =
    QStringLiteral("The service's engine cannot follow instructions: this preset gets corrections only until the "
                   "service uses a language model.");

PresetEditorView::PresetEditorView(std::optional<PolishPreset> preset, OnSave onSave, QWidget* parent)
    : QDialog(parent, Qt::Sheet)
    , m_preset(std::move(preset))
    , m_onSave(std::move(onSave))
    , m_name(new QLineEdit(this))
    , m_instruction(new QPlainTextEdit(this))
    , m_hint(caption(hint, this))
    , m_error(ShellStyle::label(QString(), SystemFont::font(10), QColor(255, 59, 48), this))
    , m_save(new QPushButton(QStringLiteral("Save"), this))
{
    setObjectName(QStringLiteral("preset-editor"));
    const QString title = m_preset ? QStringLiteral("Edit Preset") : QStringLiteral("New Preset");
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(450);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 16);
    column->setSpacing(0);
    auto* header = new HeaderBand(this);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(20, 14, 20, 14);
    headerRow->addWidget(ShellStyle::label(title, SystemFont::font(13, QFont::Bold), Theme::primaryText(), header));
    headerRow->addStretch(1);
    column->addWidget(header);

    auto* form = new QVBoxLayout;
    form->setContentsMargins(20, 16, 20, 12);
    form->setSpacing(6);
    form->addWidget(caption(QStringLiteral("Label"), this));
    m_name->setObjectName(QStringLiteral("preset-name-field"));
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_name->setPlaceholderText(QStringLiteral("e.g., Professional, Pirate, Translator"));
    form->addWidget(m_name);
    form->addSpacing(8);
    form->addWidget(caption(QStringLiteral("System Instruction"), this));
    m_instruction->setObjectName(QStringLiteral("preset-instruction-field"));
    m_instruction->setAccessibleName(QStringLiteral("System Instruction"));
    m_instruction->setFixedHeight(120);
    m_instruction->setTabChangesFocus(true);
    form->addWidget(m_instruction);
    m_hint->setObjectName(QStringLiteral("preset-hint"));
    m_hint->setWordWrap(true);
    m_error->setObjectName(QStringLiteral("validation-error"));
    m_error->setWordWrap(true);
    form->addWidget(m_hint);
    form->addWidget(m_error);
    // The service's last answer said its engine cannot follow an instruction: a preset made here
    // would only get corrections until the service runs a language model.
    const UserDefaults& defaults = Platform::current().userDefaults();
    const QString followsKey = QLatin1String(AIPolishingService::followsInstructionsKey);
    if (defaults.contains(followsKey) && !defaults.boolValue(followsKey)) {
        QLabel* engineNote = caption(engineNoteText, this);
        engineNote->setObjectName(QStringLiteral("preset-engine-note"));
        engineNote->setWordWrap(true);
        form->addWidget(engineNote);
    }
    column->addLayout(form);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(20, 4, 20, 0);
    buttons->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancel-preset-btn"));
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    m_save->setObjectName(QStringLiteral("save-preset-btn"));
    m_save->setAccessibleName(QStringLiteral("Save"));
    m_save->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addWidget(m_save);
    column->addLayout(buttons);

    if (m_preset) {
        m_name->setText(m_preset->name);
        m_instruction->setPlainText(m_preset->instruction);
    }
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &PresetEditorView::save);
    connect(m_name, &QLineEdit::textChanged, this, &PresetEditorView::refreshSaveButton);
    connect(m_instruction, &QPlainTextEdit::textChanged, this, [this] {
        setValidationError(std::nullopt);
        refreshSaveButton();
    });
    setValidationError(std::nullopt);
    refreshSaveButton();
}

void PresetEditorView::save()
{
    if (!m_save->isEnabled()) {
        return;
    }
    const QString name = m_name->text();
    const QString instruction = m_instruction->toPlainText();
    if (std::optional<QString> message = PresetManager::validate(name, instruction)) {
        setValidationError(std::move(message));
        return;
    }
    const PolishPreset finished = m_preset ? PolishPreset(m_preset->id, m_preset->backendId, name, instruction)
                                           : PolishPreset(QUuid::createUuid(), std::nullopt, name, instruction);
    m_onSave(finished);
    accept();
}

void PresetEditorView::setValidationError(std::optional<QString> message)
{
    m_validationError = std::move(message);
    m_error->setText(m_validationError.value_or(QString()));
    m_error->setVisible(m_validationError.has_value());
    m_hint->setVisible(!m_validationError.has_value());
    const QColor border = m_validationError ? Theme::withOpacity(QColor(255, 59, 48), 0.6)
                                            : Theme::withOpacity(Theme::secondaryText(), 0.2);
    m_instruction->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid rgba(%1, %2, %3, %4); "
                                                "border-radius: 6px; padding: 4px; }")
                                     .arg(border.red())
                                     .arg(border.green())
                                     .arg(border.blue())
                                     .arg(border.alpha()));
}

void PresetEditorView::refreshSaveButton()
{
    m_save->setEnabled(!isBlank(m_name->text()) && !isBlank(m_instruction->toPlainText()));
}

} // namespace quillora
