#include "ui/SettingsView.h"

#include "app/AutostartEntry.h"
#include "app/PasteService.h"
#include "app/PrivacyGuard.h"
#include "app/SelectionTracker.h"
#include "app/ShortcutManager.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "ui/BackendSettingsView.h"
#include "ui/GlyphIcon.h"
#include "ui/PresetSettingsView.h"
#include "ui/ShellStyle.h"
#include "ui/SystemFont.h"
#include "ui/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
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

// "Icon": whether a selection shows the icon or only the shortcut polishes, and how long the icon
// waits before it appears.
void addIconSection(QVBoxLayout& column, QWidget& page)
{
    UserDefaults& defaults = Platform::current().userDefaults();
    const QString showKey = QLatin1String(SelectionTracker::showIconKey);
    const QString delayKey = QLatin1String(SelectionTracker::iconDelayKey);
    column.addSpacing(10);
    column.addWidget(
        ShellStyle::label(QStringLiteral("Icon"), SystemFont::font(14, QFont::Bold), Theme::primaryText(), &page));
    auto* onSelection = new QRadioButton(QStringLiteral("Show the icon when I select text"), &page);
    onSelection->setObjectName(QStringLiteral("trigger-on-selection"));
    auto* onShortcut = new QRadioButton(QStringLiteral("Only when I press the shortcut"), &page);
    onShortcut->setObjectName(QStringLiteral("trigger-on-shortcut"));
    const bool showsIcon = !defaults.contains(showKey) || defaults.boolValue(showKey);
    onSelection->setChecked(showsIcon);
    onShortcut->setChecked(!showsIcon);
    column.addWidget(onSelection);
    column.addWidget(onShortcut);
    auto* delay = new QSpinBox(&page);
    delay->setObjectName(QStringLiteral("icon-delay"));
    delay->setAccessibleName(QStringLiteral("Wait before showing the icon"));
    delay->setRange(0, 1000);
    delay->setSingleStep(50);
    delay->setSuffix(QStringLiteral(" ms"));
    delay->setValue(int(defaults.object(delayKey).toLongLong()));
    delay->setEnabled(showsIcon);
    auto* line = new QHBoxLayout;
    line->addWidget(ShellStyle::label(QStringLiteral("Wait before showing the icon"), SystemFont::font(11),
                                      Theme::primaryText(), &page));
    line->addWidget(delay);
    line->addStretch(1);
    column.addLayout(line);
    QObject::connect(onSelection, &QRadioButton::toggled, &page, [&defaults, showKey, delay](bool checked) {
        defaults.set(showKey, checked);
        delay->setEnabled(checked);
    });
    QObject::connect(delay, &QSpinBox::valueChanged, &page,
                     [&defaults, delayKey](int milliseconds) { defaults.set(delayKey, milliseconds); });
}

// "Shortcut": the combination that polishes the selection at once, "None" allowed, and what the
// desktop answered when it was bound (taken by another program, not offered here, and what to do).
void addShortcutSection(ShortcutManager& shortcuts, QVBoxLayout& column, QWidget& page)
{
    column.addSpacing(10);
    column.addWidget(
        ShellStyle::label(QStringLiteral("Shortcut"), SystemFont::font(14, QFont::Bold), Theme::primaryText(), &page));
    auto* line = new QHBoxLayout;
    line->addWidget(
        ShellStyle::label(QStringLiteral("Polish the selection"), SystemFont::font(11), Theme::primaryText(), &page));
    auto* editor = new QKeySequenceEdit(&page);
    editor->setObjectName(QStringLiteral("shortcut-editor"));
    editor->setAccessibleName(QStringLiteral("Shortcut"));
    line->addWidget(editor);
    auto* none = new QPushButton(QStringLiteral("None"), &page);
    none->setObjectName(QStringLiteral("shortcut-none"));
    line->addWidget(none);
    line->addStretch(1);
    column.addLayout(line);
    QLabel* status = ShellStyle::label(QString(), SystemFont::font(10), Theme::secondaryText(), &page);
    status->setObjectName(QStringLiteral("shortcut-status"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column.addWidget(status);

    const auto show = [&shortcuts, editor, status] {
        const QSignalBlocker blocker(editor);
        editor->setKeySequence(QKeySequence::fromString(shortcuts.combination(), QKeySequence::PortableText));
        const ShortcutBinding binding = shortcuts.binding();
        QString text;
        switch (binding.status) {
        case ShortcutBinding::Status::bound:
            text = QStringLiteral("Works in every application.");
            break;
        case ShortcutBinding::Status::unbound:
            text = shortcuts.combination().isEmpty() ? QStringLiteral("No shortcut.")
                                                     : QStringLiteral("Bound while tracking runs.");
            break;
        case ShortcutBinding::Status::taken:
        case ShortcutBinding::Status::invalid:
        case ShortcutBinding::Status::unsupported:
            text = QStringLiteral("Not bound: %1.").arg(binding.detail);
            break;
        }
        status->setText(text);
    };
    show();
    QObject::connect(&shortcuts, &ShortcutManager::bindingChanged, &page, show);
    // One combination: the editor would go on recording a sequence of up to four.
    QObject::connect(editor, &QKeySequenceEdit::editingFinished, &page, [&shortcuts, editor, show] {
        const QKeySequence typed = editor->keySequence();
        if (typed.isEmpty()) {
            show();
            return;
        }
        shortcuts.setCombination(QKeySequence(typed[0]).toString(QKeySequence::PortableText));
        show();
    });
    QObject::connect(none, &QPushButton::clicked, &page, [&shortcuts, show] {
        shortcuts.setCombination(QString());
        show();
    });
}

// "Never read in": applications where the program never reacts, typed or picked from those
// running. Password fields are never read anywhere; the note says so.
void addPrivacySection(PrivacyGuard& privacy, Workspace& workspace, QVBoxLayout& column, QWidget& page)
{
    column.addSpacing(10);
    column.addWidget(ShellStyle::label(QStringLiteral("Never read in"), SystemFont::font(14, QFont::Bold),
                                       Theme::primaryText(), &page));
    QLabel* note = ShellStyle::label(QStringLiteral("Selections in these applications show no icon and are never read, "
                                                    "also through the shortcut. Password fields are never read in "
                                                    "any application."),
                                     SystemFont::font(11), Theme::secondaryText(), &page);
    note->setWordWrap(true);
    column.addWidget(note);
    auto* list = new QListWidget(&page);
    list->setObjectName(QStringLiteral("excluded-applications"));
    list->setAccessibleName(QStringLiteral("Excluded applications"));
    list->setMaximumHeight(120);
    list->addItems(privacy.excludedApplications());
    column.addWidget(list);
    auto* line = new QHBoxLayout;
    auto* name = new QComboBox(&page);
    name->setObjectName(QStringLiteral("excluded-application-name"));
    name->setAccessibleName(QStringLiteral("Application to exclude"));
    name->setEditable(true);
    QStringList running;
    for (const RunningApplication& application : workspace.runningApplications()) {
        const QString shown = application.localizedName.value_or(application.bundleIdentifier.value_or(QString()));
        if (!shown.isEmpty() && !running.contains(shown)) {
            running << shown;
        }
    }
    running.sort(Qt::CaseInsensitive);
    name->addItems(running);
    name->setCurrentText(QString());
    auto* add = new QPushButton(QStringLiteral("Add"), &page);
    add->setObjectName(QStringLiteral("exclude-application"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), &page);
    remove->setObjectName(QStringLiteral("allow-application"));
    line->addWidget(name, 1);
    line->addWidget(add);
    line->addWidget(remove);
    column.addLayout(line);

    const auto store = [&privacy, list] {
        QStringList applications;
        for (int row = 0; row < list->count(); ++row) {
            applications << list->item(row)->text();
        }
        privacy.setExcludedApplications(applications);
        list->clear();
        list->addItems(privacy.excludedApplications());
    };
    QObject::connect(add, &QPushButton::clicked, &page, [list, name, store] {
        if (!name->currentText().trimmed().isEmpty()) {
            list->addItem(name->currentText().trimmed());
            name->setCurrentText(QString());
            store();
        }
    });
    QObject::connect(remove, &QPushButton::clicked, &page, [list, store] {
        delete list->currentItem();
        store();
    });
}

// "Clipboard": whether "Use" writes back what the user had on the clipboard once it has pasted.
void addClipboardSection(QVBoxLayout& column, QWidget& page)
{
    column.addSpacing(10);
    column.addWidget(
        ShellStyle::label(QStringLiteral("Clipboard"), SystemFont::font(14, QFont::Bold), Theme::primaryText(), &page));
    auto* restore = new QCheckBox(QStringLiteral("Restore my clipboard after Use"), &page);
    restore->setObjectName(QStringLiteral("restore-clipboard-switch"));
    restore->setAccessibleName(QStringLiteral("Restore my clipboard after Use"));
    restore->setChecked(PasteService::restoresClipboard());
    QObject::connect(restore, &QCheckBox::toggled, &page, [](bool checked) {
        Platform::current().userDefaults().set(QLatin1String(PasteService::restoreClipboardKey), checked);
    });
    column.addWidget(restore);
}

// The "General" page: whether the session starts the program. The switch shows the entry as it is
// on disk, so a change made elsewhere appears when the page is shown again, and a failed change
// puts the switch back and says why.
QWidget* generalPage(const ShellServices& services, QTabWidget& tabs)
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
    addIconSection(*column, *page);
    addClipboardSection(*column, *page);
    addShortcutSection(services.shortcuts, *column, *page);
    addPrivacySection(services.privacy, services.workspace, *column, *page);
    addDesktopSection(*column, *page);
    column->addStretch(1);

    AutostartEntry& autostart = services.autostart;
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
    addTab(generalPage(services, *this), glyphIcon(Glyph::TextCursor, Theme::primaryText()), QStringLiteral("General"));
    tabBar()->setAccessibleName(QStringLiteral("Settings"));
    setCurrentIndex(0);
}

} // namespace quillora
