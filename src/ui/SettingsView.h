#pragma once

#include "ui/ShellServices.h"

#include <QTabWidget>

namespace quillora {

/** The settings: the tab "Presets" (the preset list) and the tab "Backend" (service and session). */
class SettingsView final : public QTabWidget
{
    Q_OBJECT

public:
    explicit SettingsView(ShellServices services, QWidget* parent = nullptr);
};

} // namespace quillora
