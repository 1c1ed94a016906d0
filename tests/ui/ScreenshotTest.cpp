#include "support/SimDesktopTest.h"
#include "ui/FloatingIconView.h"
#include "ui/FloatingIconWindow.h"
#include "ui/FloatingResultsWindow.h"

#include "OfflineCardActions.h"
#include "ui/PointerEvents.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Renders the floating windows offscreen into PNG files for people to look at, and checks that
// each picture holds something drawn.
class ScreenshotTest : public SimDesktopTest
{
protected:
    [[nodiscard]] static QString path(const char* name)
    {
        return QDir(QStringLiteral(QUILLORA_SCREENSHOT_DIR)).filePath(QString::fromLatin1(name));
    }

    // Rendered at `scale` device pixels per point, as on a high-density screen, so the details
    // can be judged.
    static void save(QWidget& widget, const char* name, int scale = 2)
    {
        ASSERT_TRUE(QDir().mkpath(QStringLiteral(QUILLORA_SCREENSHOT_DIR)));
        QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        widget.render(&image);
        ASSERT_FALSE(image.isNull());
        ASSERT_TRUE(image.save(path(name)));
        EXPECT_GT(QFileInfo(path(name)).size(), 0);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                opaque += qAlpha(image.pixel(x, y)) > 200 ? 1 : 0;
            }
        }
        EXPECT_GT(opaque, image.width() * image.height() / 4) << name << " looks empty";
    }

    static QList<PolishedResult> threeResults()
    {
        return {PolishedResult(QStringLiteral("Professional"),
                               QStringLiteral("Thank you for the update. I will review the proposal and share my "
                                              "feedback by Friday."),
                               101),
                PolishedResult(QStringLiteral("Casual"),
                               QStringLiteral("Thanks for the heads-up! I'll look it over and get back to you by "
                                              "Friday.")),
                PolishedResult(QStringLiteral("Concise"), QStringLiteral("Thanks — feedback by Friday."))};
    }
};

TEST_F(ScreenshotTest, IconWithTheRingHalfFull)
{
    FloatingIconWindow icon;
    icon.showAt(QPointF(200, 200));
    test::sendEnter(icon);
    test::sendMove(icon.view(), QPointF(32, 32));
    advance(0.2);
    save(icon, "icon-armed-half.png", 4);
}

TEST_F(ScreenshotTest, ResultsWindowStates)
{
    test::OfflineCardActions cardActions(desktop());
    FloatingResultsWindow window(cardActions.actions);
    window.showAt(QPointF(300, 500));

    window.setContent({}, true, std::nullopt);
    advance(0.8);
    save(window, "results-placeholders.png");

    window.setContent(threeResults(), false, std::nullopt);
    advance(1);
    save(window, "results-cards.png");

    window.setContent({}, false, QStringLiteral("The request timed out."));
    save(window, "results-error.png");
}

} // namespace
} // namespace quillora
