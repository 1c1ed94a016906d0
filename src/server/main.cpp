// quillora-server: the Quillora backend service. See `quillora-server --help`.
#include "core/EventLoopClock.h"
#include "server/ServerCommand.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

int main(int argc, char** argv)
{
    // Without TZ, glibc looks at /etc/localtime again on every conversion to local time, which
    // the service does a few times per request. The file is read once instead.
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", ":/etc/localtime");
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillora-server"));
    quillora::EventLoopClock clock;
    return quillora::ServerCommand::run(QCoreApplication::arguments().mid(1), QProcessEnvironment::systemEnvironment(),
                                        clock);
}
