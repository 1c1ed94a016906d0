#pragma once

#include "app/PolishPreset.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillora {

/**
 * The sheet that adds or edits a preset: a name and a system instruction, checked with the preset
 * rules before anything is sent. "Save" stays disabled while either field is empty after trimming
 * spaces and tabs; a refused entry shows its message in red under the instruction until the
 * instruction changes. Escape cancels; Return saves.
 */
class PresetEditorView final : public QDialog
{
    Q_OBJECT

public:
    /** Receives the finished preset; the sheet closes right after. */
    using OnSave = std::function<void(const PolishPreset&)>;

    /** The hint under the instruction while no message is shown. */
    static const QString hint;

    /**
     * The quiet line under the instruction when the service's last answer said its engine cannot
     * follow instructions.
     */
    static const QString engineNoteText;

    /** A sheet for `preset`, or for a new preset when none is given. */
    PresetEditorView(std::optional<PolishPreset> preset, OnSave onSave, QWidget* parent = nullptr);

    /** The message shown, or none. */
    [[nodiscard]] const std::optional<QString>& validationError() const { return m_validationError; }

    /** Validates and, when the entry is accepted, hands it over and closes. Does nothing while "Save" is disabled. */
    void save();

private:
    void setValidationError(std::optional<QString> message);
    void refreshSaveButton();

    std::optional<PolishPreset> m_preset;
    OnSave m_onSave;
    std::optional<QString> m_validationError;
    QLineEdit* m_name;
    QPlainTextEdit* m_instruction;
    QLabel* m_hint;
    QLabel* m_error;
    QPushButton* m_save;
};

} // namespace quillora
