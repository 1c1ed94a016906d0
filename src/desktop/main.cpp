// quillora: the desktop program. Holds the selection tracker for the life of the process, with the
// history window, the settings window and a tray entry. One runs per user session.
#include "app/AppLogger.h"
#include "desktop/DesktopContext.h"
#include "desktop/SingleInstance.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"
#include "ui/Appearance.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillora"));
    QApplication::setDesktopFileName(QStringLiteral("com.tessel.quillora"));

    // A second start only brings the first one's window forward; it never wipes or tracks.
    quillora::SingleInstance instance;
    if (instance.claim() == quillora::SingleInstance::Claim::AlreadyRunning) {
        return 0;
    }
    quillora::Appearance::follow(app);

    // The simulated desktop serves screenshots and tests of the program without a real session.
    const QString platformName = qEnvironmentVariable("QUILLORA_PLATFORM") == QLatin1String("sim")
                                     ? QStringLiteral("sim")
                                     : QStringLiteral("linux");
    const std::unique_ptr<quillora::Platform> platform = quillora::createPlatform(platformName);
    quillora::Platform::setCurrent(platform.get());
    quillora::AppLogger::setup();

    int code = 0;
    {
        quillora::DesktopContext context(*platform, QApplication::arguments());
        QObject::connect(&instance, &quillora::SingleInstance::raiseRequested, &context,
                         &quillora::DesktopContext::showHistory);
        QObject::connect(&context, &quillora::DesktopContext::aboutToRelaunch, &instance,
                         &quillora::SingleInstance::release);
        QObject::connect(&context, &quillora::DesktopContext::relaunchFailed, &instance,
                         [&instance] { (void)instance.claim(); });
        context.start();
        code = QApplication::exec();
    }
    quillora::Platform::setCurrent(nullptr);
    return code;
}
