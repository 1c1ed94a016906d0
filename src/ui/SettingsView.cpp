#include "ui/SettingsView.h"

#include "ui/BackendSettingsView.h"
#include "ui/GlyphIcon.h"
#include "ui/PresetSettingsView.h"
#include "ui/Theme.h"

#include <QScrollArea>
#include <QTabBar>

namespace quillora {

SettingsView::SettingsView(ShellServices services, QWidget* parent)
    : QTabWidget(parent)
    , m_presets(new PresetSettingsView(services.presets))
    , m_backend(new BackendSettingsView(services.backendSettings))
{
    setObjectName(QStringLiteral("settings-tabs"));
    setDocumentMode(true);
    // The preset list does not scroll itself; a long list scrolls with its page.
    auto* presetsPage = new QScrollArea(this);
    presetsPage->setObjectName(QStringLiteral("tab-presets"));
    presetsPage->setAccessibleName(QStringLiteral("Presets"));
    presetsPage->setWidgetResizable(true);
    presetsPage->setFrameShape(QFrame::NoFrame);
    presetsPage->setWidget(m_presets);
    m_backend->setAccessibleName(QStringLiteral("Backend"));
    addTab(presetsPage, glyphIcon(Glyph::SliderHorizontal3, Theme::primaryText()), QStringLiteral("Presets"));
    addTab(m_backend, glyphIcon(Glyph::Globe, Theme::primaryText()), QStringLiteral("Backend"));
    tabBar()->setAccessibleName(QStringLiteral("Settings"));
    setCurrentIndex(0);
}

} // namespace quillora
