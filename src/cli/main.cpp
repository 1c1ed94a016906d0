// quilloractl: the command-line companion of Quillora, on the real (non-simulated) stores.
#include "app/AppLogger.h"
#include "cli/CtlRunner.h"
#include "platform/Platform.h"
#include "platform/factory/PlatformFactory.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

QCoro::Task<> runAndQuit(quillora::CtlRunner& runner, QStringList arguments)
{
    const int code = co_await runner.run(std::move(arguments));
    QCoreApplication::exit(code);
}

} // namespace

int main(int argc, char** argv)
{
    // A core application: no display is needed, and the Linux platform opens X11 only on demand.
    QCoreApplication app(argc, argv);
    const std::unique_ptr<quillora::Platform> platform = quillora::createPlatform(QStringLiteral("linux"));
    quillora::Platform::setCurrent(platform.get());
    quillora::AppLogger::setup();

    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    // Received text printed to a terminal loses its control characters.
    quillora::CtlRunner runner(out, err, input,
                               quillora::CtlTerminals{isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1});

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // Started from the running loop, so that the exit call always has a loop to end.
    QMetaObject::invokeMethod(
        &app, [&runner, arguments] { runAndQuit(runner, arguments); }, Qt::QueuedConnection);
    const int code = app.exec();
    quillora::Platform::setCurrent(nullptr);
    return code;
}
