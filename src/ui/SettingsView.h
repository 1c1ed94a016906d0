#pragma once

#include "ui/ShellServices.h"

#include <QTabWidget>

namespace quillora {

class BackendSettingsView;
class PresetSettingsView;

/** The settings: the tab "Presets" (the preset list) and the tab "Backend" (service and session). */
class SettingsView final : public QTabWidget
{
    Q_OBJECT

public:
    explicit SettingsView(ShellServices services, QWidget* parent = nullptr);

    [[nodiscard]] PresetSettingsView& presets() const { return *m_presets; }
    [[nodiscard]] BackendSettingsView& backend() const { return *m_backend; }

private:
    PresetSettingsView* m_presets;
    BackendSettingsView* m_backend;
};

} // namespace quillora
