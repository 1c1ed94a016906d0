#include "ui/SettingsView.h"

#include "app/AutostartEntry.h"
#include "ui/BackendSettingsView.h"
#include "ui/GlyphIcon.h"
#include "ui/PresetSettingsView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>

namespace quillora {

namespace {

// The "General" page: whether the session starts the program. The switch shows the entry as it is
// on disk, so a change made elsewhere appears when the page is shown again, and a failed change
// puts the switch back and says why.
QWidget* generalPage(AutostartEntry& autostart, QTabWidget& tabs)
{
    auto* page = new QWidget(&tabs);
    page->setObjectName(QStringLiteral("tab-general"));
    page->setAccessibleName(QStringLiteral("General"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(10);
    column->addWidget(
        ShellStyle::label(QStringLiteral("Startup"), SystemFont::font(14, QFont::Bold), Theme::primaryText(), page));
    auto* startAtLogin = new QCheckBox(QStringLiteral("Start at login"), page);
    startAtLogin->setObjectName(QStringLiteral("start-at-login-switch"));
    startAtLogin->setAccessibleName(QStringLiteral("Start at login"));
    column->addWidget(startAtLogin);
    QLabel* status = ShellStyle::label(QString(), SystemFont::font(10), QColor(255, 59, 48), page);
    status->setObjectName(QStringLiteral("start-at-login-status"));
    status->setWordWrap(true);
    column->addWidget(status);
    column->addStretch(1);

    const auto showEntry = [&autostart, startAtLogin] {
        const QSignalBlocker blocker(startAtLogin);
        startAtLogin->setChecked(autostart.isEnabled());
    };
    showEntry();
    QObject::connect(startAtLogin, &QCheckBox::toggled, page, [&autostart, showEntry, status](bool checked) {
        const std::optional<QString> failure = autostart.setEnabled(checked);
        status->setText(failure.value_or(QString()));
        showEntry();
    });
    QObject::connect(&tabs, &QTabWidget::currentChanged, page, [&tabs, page, showEntry] {
        if (tabs.currentWidget() == page) {
            showEntry();
        }
    });
    return page;
}

} // namespace

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
    addTab(generalPage(services.autostart, *this), glyphIcon(Glyph::TextCursor, Theme::primaryText()),
           QStringLiteral("General"));
    tabBar()->setAccessibleName(QStringLiteral("Settings"));
    setCurrentIndex(0);
}

} // namespace quillora
