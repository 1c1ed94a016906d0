#pragma once

#include "app/PolishPreset.h"
#include "ui/PresetEditorView.h"

#include <QPointer>
#include <QWidget>

#include <optional>

namespace quillora {

class PresetList;
class PresetManager;

/**
 * The presets page of the settings: the presets in the order of the results window, reordered by
 * dragging (kept in the local cache only), each with "Edit" and delete, and an add button. Every
 * change goes through the preset manager; the list redraws when the manager's list changes, so a
 * backend change shows once the backend confirmed it.
 */
class PresetSettingsView final : public QWidget
{
    Q_OBJECT

public:
    /** The height of one row, in points. */
    static constexpr int rowHeight = 60;

    explicit PresetSettingsView(PresetManager& presets, QWidget* parent = nullptr);
    ~PresetSettingsView() override;

    /**
     * Moves the presets at `offsets` before the one at `destination` (the list's length: the end)
     * and saves the order in the cache: what a drop in the list does.
     */
    void movePresets(const QList<int>& offsets, int destination);

    /** The open editor sheet, or null. */
    [[nodiscard]] PresetEditorView* editor() const { return m_editor; }

private:
    void rebuild();
    void openEditor(std::optional<PolishPreset> preset);
    void deletePreset(const QUuid& id);

    PresetManager& m_presets;
    PresetList* m_list;
    QPointer<PresetEditorView> m_editor;
};

} // namespace quillora
