#include "ui/SettingsView.h"

namespace quillora {

SettingsView::SettingsView(ShellServices /*services*/, QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("settings-tabs"));
    auto* presets = new QWidget(this);
    presets->setObjectName(QStringLiteral("tab-presets"));
    addTab(presets, QStringLiteral("Presets"));
}

} // namespace quillora
