#include "ShellFixture.h"

#include "ui/Appearance.h"
#include "ui/FloatingIconView.h"
#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"
#include "ui/MainWindow.h"
#include "ui/PointerEvents.h"
#include "ui/PresetEditorView.h"
#include "ui/SettingsView.h"
#include "ui/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>

namespace quillora {
namespace {

// Renders the windows offscreen into PNG files in the build folder's screenshots for people to look
// at; the behaviour of each window is checked by its own test.
class ScreenshotTest : public ShellFixture
{
protected:
    void TearDown() override
    {
        QApplication::setPalette(m_originalPalette);
        ShellFixture::TearDown();
    }

    // Rendered at `scale` device pixels per point, as on a high-density screen, so the details can
    // be judged.
    static void save(QWidget& widget, const QString& name, int scale = 2)
    {
        const QDir folder(QStringLiteral(QUILLORA_SCREENSHOT_DIR));
        ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
        QCoreApplication::processEvents();
        QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        widget.render(&image);
        ASSERT_TRUE(image.save(folder.filePath(name + QStringLiteral(".png"))));
    }

    const QPalette m_originalPalette = QApplication::palette();
};

TEST_F(ScreenshotTest, IconWithTheRingHalfFullAndTheResultsWindowStates)
{
    FloatingIconWindow icon;
    icon.showAt(QPointF(200, 200));
    test::sendEnter(icon);
    test::sendMove(icon.view(), QPointF(32, 32));
    advance(0.2);
    save(icon, QStringLiteral("icon-armed-half"), 4);

    FloatingResultsWindow window(cardActions());
    window.showAt(QPointF(300, 500));
    window.setContent({}, true, std::nullopt);
    advance(0.8);
    save(window, QStringLiteral("results-placeholders"));
    window.setContent(
        {PolishedResult(QStringLiteral("Professional"),
                        QStringLiteral("Thank you for the update. I will review the proposal and share my feedback by "
                                       "Friday."),
                        101),
         PolishedResult(QStringLiteral("Casual"),
                        QStringLiteral("Thanks for the heads-up! I'll look it over and get back to you by Friday.")),
         PolishedResult(QStringLiteral("Concise"), QStringLiteral("Thanks — feedback by Friday."))},
        false, std::nullopt);
    advance(1);
    save(window, QStringLiteral("results-cards"));
    window.setContent({}, false, QStringLiteral("The request timed out."));
    save(window, QStringLiteral("results-error"));
}

// "shell-<screen>-<light|dark>.png": the history and settings windows and the preset editor.
TEST_F(ScreenshotTest, HistorySettingsAndEditorInLightAndDark)
{
    for (const bool dark : {false, true}) {
        Appearance::apply(dark);
        const QString scheme = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        const auto shell = [&scheme](const char* screen) { return QStringLiteral("shell-") + screen + scheme; };
        history().clearHistory();

        desktop().accessibility().setTrusted(true);
        {
            MainWindow window(services());
            window.show();
            save(window, shell("history-empty"));
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
            save(window, shell("history-cards"));
            updates().notify(QStringLiteral("2.0.0"), QUrl(QStringLiteral("https://example.com/quillora")));
            QCoreApplication::sendPostedEvents(&updates(), QEvent::MetaCall);
            save(window, shell("history-update"));
            updates().dismiss();
            desktop().userDefaults().remove(QStringLiteral("lastNotifiedVersion"));
        }
        desktop().accessibility().setTrusted(false);
        {
            MainWindow window(services());
            window.show();
            save(window, shell("history-gate-warning"));
            desktop().accessibility().setTrusted(true);
            advance(1);
            save(window, shell("history-gate-restart"));
        }

        SettingsWindow settings(services());
        settings.show();
        for (const auto& [index, screen] :
             {std::pair(0, "settings-presets"), std::pair(1, "settings-backend"), std::pair(2, "settings-general")}) {
            settings.view().setCurrentIndex(index);
            save(settings, shell(screen));
        }
        settings.view().setCurrentIndex(0);

        PresetEditorView editor(presets().presets().first(), [](const PolishPreset&) {});
        editor.show();
        save(editor, shell("editor"));
        editor.findChild<QLineEdit*>(QStringLiteral("preset-name-field"))->setText(QString(51, u'n'));
        editor.save();
        save(editor, shell("editor-error"));
    }
}

} // namespace
} // namespace quillora
