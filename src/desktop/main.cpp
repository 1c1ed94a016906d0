// quillora: the desktop program. Holds the selection tracker for the life of the process, with the
// history window, the settings window and a tray entry. One runs per user session.
#include "app/AppInfo.h"
#include "app/AppLogger.h"
#include "desktop/DesktopContext.h"
#include "desktop/ProcessRestart.h"
#include "desktop/SingleInstance.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"
#include "ui/Appearance.h"

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: quillora [--uitesting] [--polish-selection]\n"
    "\n"
    "The Quillora desktop program: select text in any application, click the round icon that appears\n"
    "by the pointer, and choose one of the rewritten variations. One runs per user session; a second\n"
    "start brings the first one's window forward.\n"
    "\n"
    "Options:\n"
    "  --uitesting   start from an empty store (user defaults and history removed)\n"
    "  --polish-selection\n"
    "                polish the current selection of the frontmost application at once (asks the\n"
    "                running Quillora, or starts one); bind it to a key in the desktop's settings\n"
    "  -h, --help    print this help\n"
    "  --version     print the version\n"
    "\n"
    "Environment: QUILLORA_BACKEND_URL (the backend service), QUILLORA_PLATFORM=sim (the simulated\n"
    "desktop), QUILLORA_DIAGNOSTIC_LOGGING=1 (log selected and pasted text), QUILLORA_DEBUG_LOG=1 (the\n"
    "program's own log lines, and every line on standard error where no journal runs).\n";

// On a Wayland session, Quillora's windows go through Xwayland where it runs: there the floating
// icon and panel can be put exactly where asked without taking the focus from the application the
// text was selected in, which a Wayland client of Qt 6.4 cannot do. One Qt process uses one window
// system for all its windows, so the choice is made before the application starts. An explicit
// QT_QPA_PLATFORM is left as it is.
void preferXwaylandOnWayland()
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland && !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

// Without a window system Qt aborts with an advice to reinstall; a person is told what is missing
// instead. A platform plugin that needs no display (offscreen, for tests and screenshots) is let through.
bool displayMissing(int argc, char** argv)
{
    const QByteArray plugin = qgetenv("QT_QPA_PLATFORM");
    if (!plugin.isEmpty() && !plugin.startsWith("xcb") && !plugin.startsWith("wayland")) {
        return false;
    }
    const bool pluginArgument = std::any_of(argv + 1, argv + argc, [](const char* argument) {
        return std::string_view(argument) == "-platform" || std::string_view(argument) == "--platform";
    });
    return !pluginArgument && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

struct Outcome
{
    int code = 0;
    bool restart = false;
};

// The program from the toolkit's start to its end. Everything it made is gone when it returns, so
// that a restart in place begins from a clean process.
Outcome runDesktop(int argc, char** argv, bool polishSelection)
{
    preferXwaylandOnWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillora"));
    QApplication::setDesktopFileName(QStringLiteral("com.tessel.quillora"));

    // A second start only brings the first one's window forward; it never wipes or tracks.
    quillora::SingleInstance instance;
    switch (instance.claim(polishSelection ? quillora::SingleInstance::Request::polishSelection
                                           : quillora::SingleInstance::Request::raise)) {
    case quillora::SingleInstance::Claim::AlreadyRunning:
        if (polishSelection) {
            return {};
        }
        std::fputs("Quillora is already running; its window was raised.\n", stderr);
        return {1};
    case quillora::SingleInstance::Claim::OwnerDoesNotAnswer:
        std::fprintf(stderr,
                     "Another Quillora holds the session bus name %s but does not answer; end that process and "
                     "start Quillora again.\n",
                     quillora::SingleInstance::serviceName);
        return {1};
    case quillora::SingleInstance::Claim::Owner:
    case quillora::SingleInstance::Claim::NoSessionBus:
        break;
    }
    quillora::Appearance::follow(app);

    // The simulated desktop serves screenshots and tests of the program without a real session.
    const QString platformName = qEnvironmentVariable("QUILLORA_PLATFORM") == QLatin1String("sim")
                                     ? QStringLiteral("sim")
                                     : QStringLiteral("linux");
    const std::unique_ptr<quillora::Platform> platform = quillora::createPlatform(platformName);
    quillora::Platform::setCurrent(platform.get());
    quillora::AppLogger::setup();

    Outcome outcome;
    {
        quillora::DesktopContext context(*platform, QApplication::arguments());
        QObject::connect(&instance, &quillora::SingleInstance::raiseRequested, &context,
                         &quillora::DesktopContext::showHistory);
        QObject::connect(&instance, &quillora::SingleInstance::polishSelectionRequested, &context,
                         &quillora::DesktopContext::polishSelection);
        context.start();
        if (polishSelection) {
            context.polishSelection();
        }
        outcome.code = QApplication::exec();
        outcome.restart = context.restartRequested();
    }
    quillora::Platform::setCurrent(nullptr);
    // The restarted program claims the name anew.
    instance.release();
    return outcome;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before the window system is reached, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            std::printf("quillora %s\n", qPrintable(quillora::AppInfo::version()));
            return 0;
        }
    }
    // Taken before the toolkit removes its own options from argv. A restart neither polishes again
    // nor wipes the state the user has built since the launch.
    const quillora::ProcessRestart restart(argc, argv, {"--polish-selection", "--uitesting"});
    // A request from a keyboard shortcut reaches a running Quillora without starting a window
    // system of its own, which would cost time and, with accessibility on, busy the bus that the
    // running one is about to read the selection through.
    const bool polishSelection = std::any_of(
        argv + 1, argv + argc, [](const char* argument) { return std::string_view(argument) == "--polish-selection"; });
    if (polishSelection) {
        const QCoreApplication request(argc, argv);
        if (quillora::SingleInstance::askOwner(quillora::SingleInstance::Request::polishSelection)) {
            return 0;
        }
    }
    if (displayMissing(argc, argv)) {
        std::fputs("quillora needs a graphical session (DISPLAY or WAYLAND_DISPLAY is not set); to polish from a "
                   "terminal use quilloractl polish\n",
                   stderr);
        return 1;
    }
    const Outcome outcome = runDesktop(argc, argv, polishSelection);
    if (!outcome.restart) {
        return outcome.code;
    }
    const QString failure = restart.exec();
    std::fprintf(stderr, "quillora: could not start again: %s\n", qPrintable(failure));
    return 1;
}
