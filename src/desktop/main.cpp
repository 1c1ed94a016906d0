// quillora: the desktop program. Holds the selection tracker for the life of the process, with the
// history window, the settings window and a tray entry.
#include "app/AppLogger.h"
#include "desktop/DesktopContext.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillora"));
    QApplication::setDesktopFileName(QStringLiteral("com.tessel.quillora"));

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
        context.start();
        code = QApplication::exec();
    }
    quillora::Platform::setCurrent(nullptr);
    return code;
}
