#include "ShellFixture.h"

#include "app/PresetManager.h"
#include "ui/Appearance.h"
#include "ui/MainWindow.h"
#include "ui/PresetEditorView.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace quillora {
namespace {

// Renders the history and settings windows offscreen, light and dark, into PNG files for people
// to look at: "shell-<screen>-<light|dark>.png" in the build folder's screenshots.
class ShellScreenshotTest : public ShellFixture
{
protected:
    void TearDown() override
    {
        QApplication::setPalette(m_originalPalette);
        ShellFixture::TearDown();
    }

    static void save(QWidget& widget, const QString& name)
    {
        const QString folder = QStringLiteral(QUILLORA_SCREENSHOT_DIR);
        ASSERT_TRUE(QDir().mkpath(folder));
        QCoreApplication::processEvents();
        const int scale = 2;
        QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        widget.render(&image);
        ASSERT_TRUE(image.save(QDir(folder).filePath(QStringLiteral("shell-") + name + QStringLiteral(".png"))));
    }

    void addHistory()
    {
        history().addEntry(QStringLiteral("hey can u send me the report by tmrw, i need it for the meeting"),
                           {PolishedResult(QStringLiteral("Professional"),
                                           QStringLiteral("Could you please send me the report by tomorrow? I need "
                                                          "it for the meeting.")),
                            PolishedResult(QStringLiteral("Casual"),
                                           QStringLiteral("Hey, could you send me the report by tomorrow? Need it "
                                                          "for the meeting."))},
                           QStringLiteral("gpt-4o-mini"), 1.234);
        history().addEntry(QStringLiteral("We was hoping you could look at the numbers."),
                           {PolishedResult(QStringLiteral("Fix Grammar"),
                                           QStringLiteral("We were hoping you could look at the numbers."))},
                           std::nullopt, std::nullopt);
    }

    const QPalette m_originalPalette = QApplication::palette();
};

TEST_F(ShellScreenshotTest, HistorySettingsAndEditorInLightAndDark)
{
    for (const bool dark : {false, true}) {
        Appearance::apply(dark);
        const QString scheme = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        history().clearHistory();

        desktop().accessibility().setTrusted(true);
        {
            MainWindow window(services());
            window.show();
            save(window, QStringLiteral("history-empty") + scheme);
        }
        addHistory();
        {
            MainWindow window(services());
            window.show();
            save(window, QStringLiteral("history-cards") + scheme);
            updates().notify(QStringLiteral("2.0.0"), QUrl(QStringLiteral("https://example.com/quillora")));
            QCoreApplication::sendPostedEvents(&updates(), QEvent::MetaCall);
            save(window, QStringLiteral("history-update") + scheme);
            updates().dismiss();
            desktop().userDefaults().remove(QStringLiteral("lastNotifiedVersion"));
        }
        desktop().accessibility().setTrusted(false);
        {
            MainWindow window(services());
            window.show();
            save(window, QStringLiteral("history-gate-warning") + scheme);
            desktop().accessibility().setTrusted(true);
            advance(1);
            save(window, QStringLiteral("history-gate-restart") + scheme);
        }

        SettingsWindow settings(services());
        settings.show();
        save(settings, QStringLiteral("settings-presets") + scheme);
        settings.view().setCurrentIndex(1);
        save(settings, QStringLiteral("settings-backend") + scheme);
        settings.view().setCurrentIndex(2);
        save(settings, QStringLiteral("settings-general") + scheme);
        settings.view().setCurrentIndex(0);

        PresetEditorView editor(presets().presets().first(), [](const PolishPreset&) {});
        editor.show();
        save(editor, QStringLiteral("editor") + scheme);
        editor.findChild<QLineEdit*>(QStringLiteral("preset-name-field"))->setText(QString(51, u'n'));
        editor.save();
        save(editor, QStringLiteral("editor-error") + scheme);
    }
}

} // namespace
} // namespace quillora
