// A stand-in for the desktop program while it is written elsewhere: the Linux platform, the
// selection tracker with the real floating windows, the backend client on QUILLORA_BACKEND_URL and
// the preset list, put together as the program does. The permission gate checks trust once a
// second and starts tracking once it is given; "tracking" on standard output tells the test.
#include "app/AIPolishingService.h"
#include "app/AppInfo.h"
#include "app/BackendClient.h"
#include "app/HistoryManager.h"
#include "app/PresetManager.h"
#include "app/SelectionTracker.h"
#include "app/UpdateManager.h"
#include "capture/SelectedTextManager.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "platform/factory/PlatformFactory.h"
#include "ui/WidgetPanelFactory.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace quillora;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const std::unique_ptr<Platform> platform = createPlatform(QStringLiteral("linux"));
    Platform::setCurrent(platform.get());
    if (app.arguments().contains(QStringLiteral("--uitesting"))) {
        platform->userDefaults().removeDomain();
    }
    UpdateManager updates(platform->userDefaults(), AppInfo::version());
    BackendClient client(BackendClient::configuredOrigin(), &updates);
    PresetManager presets(client);
    HistoryManager history;
    WidgetPanelFactory panels;
    SelectionTracker tracker({panels, SelectedTextManager::shared(), history, AIPolishingService(client, presets)});

    // Each confirmed selection is told too, so that a failing test shows what was read.
    QObject::connect(&tracker, &SelectionTracker::lastCapturedTextChanged, &app, [&tracker] {
        std::printf("captured: %s\n", qPrintable(tracker.lastCapturedText()));
        std::fflush(stdout);
    });
    QTimer gate;
    const auto check = [&] {
        if (!tracker.isTracking() && tracker.isEnabled() &&
            platform->accessibility().isProcessTrusted(TrustPrompt::Silent)) {
            tracker.startTracking();
            std::puts("tracking");
            std::fflush(stdout);
        }
    };
    QObject::connect(&gate, &QTimer::timeout, &app, check);
    gate.start(1000);
    QTimer::singleShot(0, &app, check);
    const int status = app.exec();
    Platform::setCurrent(nullptr);
    return status;
}
