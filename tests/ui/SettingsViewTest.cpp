#include "ShellFixture.h"
#include "support/FileContent.h"

#include "app/AutostartEntry.h"
#include "app/PasteService.h"
#include "ui/PresetEditorView.h"
#include "ui/PresetSettingsView.h"
#include "ui/SettingsView.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

namespace quillora {
namespace {

// Types one key into `widget` as the keyboard would, unhandled keys travelling up to the parents.
void typeKey(QWidget& widget, Qt::Key key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&widget, &release);
}

class SettingsViewTest : public ShellFixture
{
protected:
    void TearDown() override
    {
        m_view.reset();
        ShellFixture::TearDown();
    }

    SettingsView& openSettings()
    {
        m_view = std::make_unique<SettingsView>(services());
        m_view->show();
        return *m_view;
    }

    PresetEditorView& openEditor(const QString& buttonName)
    {
        click(*m_view, buttonName);
        PresetEditorView* editor = m_view->presets().editor();
        if (editor == nullptr) {
            throw std::runtime_error("no editor sheet opened");
        }
        return *editor;
    }

    QString rowName(const PolishPreset& preset) const
    {
        return QStringLiteral("preset-row-") + preset.id.toString(QUuid::WithoutBraces).toUpper();
    }

    std::unique_ptr<SettingsView> m_view;
};

TEST_F(SettingsViewTest, EditorEnablesSaveOnlyWithContentAndShowsTheRulesMessageUntilTheInstructionChanges)
{
    openSettings();
    PresetEditorView& editor = openEditor(QStringLiteral("add-preset-btn"));
    auto& name = find<QLineEdit>(editor, QStringLiteral("preset-name-field"));
    auto& instruction = find<QPlainTextEdit>(editor, QStringLiteral("preset-instruction-field"));
    auto& save = find<QPushButton>(editor, QStringLiteral("save-preset-btn"));
    struct Case
    {
        QString name;
        QString instruction;
        bool enabled;
    };
    const QList<Case> cases = {
        {QString(), QString(), false},
        {QStringLiteral("   "), QStringLiteral("x"), false},
        {QStringLiteral("a"), QStringLiteral("\t "), false},
        {QStringLiteral("a"), QStringLiteral("\n"), true},
        {QStringLiteral("a"), QStringLiteral("b"), true},
    };
    for (const Case& testCase : cases) {
        name.setText(testCase.name);
        instruction.setPlainText(testCase.instruction);
        EXPECT_EQ(save.isEnabled(), testCase.enabled)
            << testCase.name.toStdString() << '/' << testCase.instruction.toStdString();
    }

    name.setText(QString(51, u'n'));
    instruction.setPlainText(QStringLiteral("Rewrite politely"));
    auto& hint = find<QLabel>(editor, QStringLiteral("preset-hint"));
    EXPECT_EQ(hint.text(), PresetEditorView::hint);
    save.click();
    auto& error = find<QLabel>(editor, QStringLiteral("validation-error"));
    EXPECT_TRUE(editor.isVisible());
    EXPECT_TRUE(error.isVisibleTo(&editor));
    EXPECT_FALSE(hint.isVisibleTo(&editor));
    EXPECT_EQ(error.text(), QStringLiteral("Preset name must be 50 characters or fewer."));
    name.setText(QStringLiteral("Short"));
    EXPECT_TRUE(error.isVisibleTo(&editor));
    typeKey(instruction, Qt::Key_Period, QStringLiteral("."));
    EXPECT_FALSE(error.isVisibleTo(&editor));
    EXPECT_TRUE(hint.isVisibleTo(&editor));
    EXPECT_EQ(server().requests().size(), 1) << "only the start-up load reached the backend";
}

TEST_F(SettingsViewTest, SavingANewPresetSendsItUntrimmedCancelSendsNothingAndReorderingRebuildsTheRows)
{
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.method == "POST") {
            QJsonObject created = request.json();
            created.insert(QStringLiteral("id"), 77);
            return Reply::json(201, created);
        }
        return Reply::text(404, "");
    });
    openSettings();
    PresetEditorView& cancelled = openEditor(QStringLiteral("add-preset-btn"));
    find<QLineEdit>(cancelled, QStringLiteral("preset-name-field")).setText(QStringLiteral("Pirate"));
    typeKey(cancelled, Qt::Key_Escape);
    EXPECT_FALSE(cancelled.isVisible());

    PresetEditorView& editor = openEditor(QStringLiteral("add-preset-btn"));
    find<QLineEdit>(editor, QStringLiteral("preset-name-field")).setText(QStringLiteral(" Pirate "));
    find<QPlainTextEdit>(editor, QStringLiteral("preset-instruction-field"))
        .setPlainText(QStringLiteral("Talk like one"));
    typeKey(find<QLineEdit>(editor, QStringLiteral("preset-name-field")), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_FALSE(editor.isVisible());
    ASSERT_TRUE(test::waitUntil([this] { return presets().presets().size() == 5; }));
    EXPECT_EQ(server().count("POST", "/api/v1/presets"), 1);
    EXPECT_EQ(presets().presets().last().name, QStringLiteral(" Pirate "));

    // Reordering reaches the manager and rebuilds the rows in the new order.
    m_view->presets().movePresets({4}, 0);
    EXPECT_EQ(presets().presets().first().name, QStringLiteral(" Pirate "));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QWidget*> rows = find(*m_view, QStringLiteral("preset-list"))
                                     .findChildren<QWidget*>(QRegularExpression(QStringLiteral("^preset-row-")));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows.first()->objectName(), rowName(presets().presets().first()));
}

TEST_F(SettingsViewTest, DeletedPresetLeavesTheListOnlyOnceTheBackendAnswers)
{
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.method == "GET") {
            return Reply::json(200,
                               QJsonArray{QJsonObject{{QStringLiteral("id"), 11},
                                                      {QStringLiteral("name"), QStringLiteral("Kind")},
                                                      {QStringLiteral("instruction"), QStringLiteral("Be kind")}}});
        }
        return std::nullopt;
    });
    test::awaitTask(presets().loadPresets());
    ASSERT_EQ(namesOf(presets().presets()), QStringList{QStringLiteral("Kind")});
    SettingsView& view = openSettings();
    const QString row = rowName(presets().presets().first());

    click(view, QStringLiteral("delete-preset-btn"));
    ASSERT_TRUE(test::waitUntil([this] { return server().heldCount() == 1; }));
    EXPECT_NE(view.findChild<QWidget*>(row), nullptr);
    server().releaseHeld(Reply::text(204, ""));
    ASSERT_TRUE(test::waitUntil([this] { return presets().presets().isEmpty(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.findChild<QWidget*>(row), nullptr);
    EXPECT_EQ(find(view, QStringLiteral("preset-list")).height(), PresetSettingsView::rowHeight);
}

TEST_F(SettingsViewTest, BackendTabStoresTheTokenPairChecksTheConnectionAndAppliesOnlyASafeAddress)
{
    server().setHandler([](const Request& request) -> std::optional<Reply> {
        if (request.target == "/api/v1/health") {
            return Reply::json(200, QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}});
        }
        return Reply::text(404, "");
    });
    SettingsView& view = openSettings();
    auto& state = find<QLabel>(view, QStringLiteral("session-state"));
    EXPECT_TRUE(state.text().startsWith(QStringLiteral("Not signed in")));
    EXPECT_FALSE(find<QPushButton>(view, QStringLiteral("sign-out-btn")).isEnabled());

    find<QLineEdit>(view, QStringLiteral("access-token-field")).setText(QStringLiteral("acc"));
    click(view, QStringLiteral("store-tokens-btn"));
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("backendAccessToken")));
    find<QLineEdit>(view, QStringLiteral("refresh-token-field")).setText(QStringLiteral(" ref "));
    click(view, QStringLiteral("store-tokens-btn"));
    EXPECT_EQ(storedToken("backendAccessToken"), QStringLiteral("acc"));
    EXPECT_EQ(storedToken("backendRefreshToken"), QStringLiteral("ref"));
    EXPECT_TRUE(state.text().startsWith(QStringLiteral("Signed in")));

    click(view, QStringLiteral("check-connection-btn"));
    auto& answer = find<QLabel>(view, QStringLiteral("connection-result"));
    ASSERT_TRUE(test::waitUntil([&answer] { return answer.text().startsWith(QStringLiteral("Connected")); }));
    EXPECT_EQ(server().requests().last().header("authorization"), QByteArray("Bearer acc"));

    click(view, QStringLiteral("sign-out-btn"));
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("backendAccessToken")));
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("backendRefreshToken")));
    EXPECT_TRUE(state.text().startsWith(QStringLiteral("Not signed in")));

    auto& address = find<QLineEdit>(view, QStringLiteral("backend-url-field"));
    EXPECT_EQ(address.text(), backendSettings().origin());
    const QString before = client().baseURL();

    address.setText(QStringLiteral("http://polish.example.com"));
    click(view, QStringLiteral("apply-backend-url-btn"));
    EXPECT_TRUE(find<QLabel>(view, QStringLiteral("backend-url-status")).text().contains(QStringLiteral("plain http")));
    EXPECT_FALSE(desktop().userDefaults().contains(BackendSettings::originKey));
    EXPECT_EQ(client().baseURL(), before);

    address.setText(QStringLiteral("https://polish.example.com/"));
    click(view, QStringLiteral("apply-backend-url-btn"));
    EXPECT_EQ(desktop().userDefaults().string(BackendSettings::originKey),
              QStringLiteral("https://polish.example.com/"));
    EXPECT_EQ(client().baseURL(), QStringLiteral("https://polish.example.com/api/v1"));
    EXPECT_EQ(client().originError(), nullptr);
    EXPECT_EQ(BackendSettings::startupOrigin(desktop().userDefaults()), QStringLiteral("https://polish.example.com/"));
}

TEST_F(SettingsViewTest, StartAtLoginWritesTheAutostartEntryRemovesItAgainAndAFailedWriteSaysWhy)
{
    // A file where the autostart folder belongs keeps the folder from being made.
    const QString folder = QFileInfo(autostart().filePath()).path();
    ASSERT_FALSE(QFileInfo::exists(folder)) << "the test program's configuration folder starts empty";
    ASSERT_TRUE(test::writeFile(folder));
    SettingsView& view = openSettings();
    view.setCurrentWidget(&find(view, QStringLiteral("tab-general")));
    auto& toggle = find<QCheckBox>(view, QStringLiteral("start-at-login-switch"));
    EXPECT_EQ(toggle.accessibleName(), QStringLiteral("Start at login"));
    EXPECT_FALSE(toggle.isChecked());
    auto& status = find<QLabel>(view, QStringLiteral("start-at-login-status"));

    toggle.click();
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_TRUE(status.text().contains(QStringLiteral("autostart")));

    ASSERT_TRUE(QFile::remove(folder));
    toggle.click();
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_TRUE(status.text().isEmpty());
    const QString contents = QString::fromUtf8(test::readFile(autostart().filePath()));
    EXPECT_TRUE(contents.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(contents.contains(QStringLiteral("\nExec=/usr/bin/quillora\n")));
    EXPECT_TRUE(autostart().isEnabled());

    toggle.click();
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_FALSE(QFile::exists(autostart().filePath()));
    EXPECT_EQ(autostart().setEnabled(false), std::nullopt) << "turning off twice is harmless";
}

TEST_F(SettingsViewTest, RestoringTheClipboardAfterUseIsOnUntilTurnedOff)
{
    SettingsView& view = openSettings();
    auto& toggle = find<QCheckBox>(view, QStringLiteral("restore-clipboard-switch"));
    EXPECT_TRUE(toggle.isChecked());
    toggle.click();
    EXPECT_FALSE(PasteService::restoresClipboard());
    EXPECT_FALSE(
        SettingsView(services()).findChild<QCheckBox*>(QStringLiteral("restore-clipboard-switch"))->isChecked())
        << "a new window shows the stored choice";
}

} // namespace
} // namespace quillora
