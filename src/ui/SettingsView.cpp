#include "ui/SettingsView.h"

#include "app/AutostartEntry.h"
#include "app/SelectionTracker.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "ui/BackendSettingsView.h"
#include "ui/GlyphIcon.h"
#include "ui/PresetSettingsView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>

namespace quillora {

namespace {

// "On this desktop": what the session offers the selection loop, each row "yes" with how, or "no"
// with why and what would enable it, so that nothing is degraded without the user knowing. Where
// selections are noticed through accessibility events, the settle time can be changed here too.
void addDesktopSection(QVBoxLayout& column, QWidget& page)
{
    const DesktopCapabilities desktop = Platform::current().desktopCapabilities();
    column.addSpacing(10);
    column.addWidget(ShellStyle::label(QStringLiteral("On this desktop"), SystemFont::font(14, QFont::Bold),
                                       Theme::primaryText(), &page));
    column.addWidget(ShellStyle::label(desktop.session, SystemFont::font(11), Theme::secondaryText(), &page));
    auto* table = new QGridLayout;
    table->setHorizontalSpacing(12);
    table->setColumnStretch(2, 1);
    int row = 0;
    for (const DesktopCapability& item : desktop.items) {
        QLabel* name = ShellStyle::label(item.name, SystemFont::font(11, QFont::DemiBold), Theme::primaryText(), &page);
        QLabel* answer = ShellStyle::label(item.available ? QStringLiteral("yes") : QStringLiteral("no"),
                                           SystemFont::font(11, QFont::DemiBold),
                                           item.available ? QColor(52, 199, 89) : QColor(255, 59, 48), &page);
        QLabel* detail = ShellStyle::label(item.detail, SystemFont::font(11), Theme::secondaryText(), &page);
        detail->setWordWrap(true);
        detail->setTextInteractionFlags(Qt::TextSelectableByMouse);
        answer->setAccessibleName(item.name + QStringLiteral(": ") + answer->text());
        table->addWidget(name, row, 0, Qt::AlignTop);
        table->addWidget(answer, row, 1, Qt::AlignTop);
        table->addWidget(detail, row, 2, Qt::AlignTop);
        ++row;
    }
    column.addLayout(table);
    if (Platform::current().selectionChangeMonitor() == nullptr) {
        return;
    }
    auto* settle = new QSpinBox(&page);
    settle->setObjectName(QStringLiteral("settle-time"));
    settle->setAccessibleName(QStringLiteral("Selection settle time"));
    settle->setRange(50, 2000);
    settle->setSingleStep(50);
    settle->setSuffix(QStringLiteral(" ms"));
    UserDefaults& defaults = Platform::current().userDefaults();
    const QString key = QLatin1String(SelectionTracker::settleTimeKey);
    settle->setValue(defaults.contains(key) ? int(defaults.object(key).toLongLong())
                                            : SelectionTracker::defaultSettleMilliseconds);
    QObject::connect(settle, &QSpinBox::valueChanged, &page,
                     [&defaults, key](int milliseconds) { defaults.set(key, milliseconds); });
    auto* line = new QHBoxLayout;
    line->addWidget(ShellStyle::label(QStringLiteral("Show the icon when a selection has not changed for"),
                                      SystemFont::font(11), Theme::primaryText(), &page));
    line->addWidget(settle);
    line->addStretch(1);
    column.addLayout(line);
}

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
    addDesktopSection(*column, *page);
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
