// Entry point of the Wayland end-to-end tests: "--compositor=sway", "--compositor=kwin" or
// "--compositor=gnome" picks the compositor, which it starts headless with Xwayland, a session bus
// and the AT-SPI bus before the QCoreApplication; it runs the tests there and ends every process it
// started. Where the compositor cannot start it says why and exits with 77, which CTest reports as
// skipped.
#include "AtspiReader.h"
#include "GnomeShellCompositor.h"
#include "KWinCompositor.h"
#include "SwayCompositor.h"
#include "WaylandSession.h"
#include "WaylandTestEnvironment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

pid_t g_group = 0;

// An interrupted or timed-out test still ends the whole session it started.
void endSession(int signal)
{
    if (g_group > 0) {
        ::kill(-g_group, SIGKILL);
    }
    _exit(128 + signal);
}

std::unique_ptr<quillora::test::Compositor> compositorNamed(const char* name)
{
    if (std::strcmp(name, "sway") == 0) {
        return std::make_unique<quillora::test::SwayCompositor>();
    }
    if (std::strcmp(name, "kwin") == 0) {
        return std::make_unique<quillora::test::KWinCompositor>();
    }
    if (std::strcmp(name, "gnome") == 0) {
        return std::make_unique<quillora::test::GnomeShellCompositor>();
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    // Run as another user, the test is runuser's child: when the runner ends runuser, it ends too.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<quillora::test::Compositor> compositor;
    for (int index = 1; index < argc; ++index) {
        if (std::strncmp(argv[index], "--compositor=", 13) == 0) {
            compositor = compositorNamed(argv[index] + 13);
        }
    }
    if (!compositor) {
        std::fprintf(stderr, "usage: %s --compositor=sway|kwin|gnome [GoogleTest options]\n", argv[0]);
        return 2;
    }
    const QString name = compositor->name();
    QString whyNot;
    std::unique_ptr<quillora::test::WaylandSession> session =
        quillora::test::WaylandSession::start(std::move(compositor), &whyNot);
    if (!session) {
        std::printf("SKIPPED: %s cannot be started here (%s); the Wayland tests did not run.\n", qPrintable(name),
                    qPrintable(whyNot));
        return 77;
    }
    g_group = pid_t(session->processGroup());
    std::signal(SIGTERM, endSession);
    std::signal(SIGINT, endSession);
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        quillora::test::AtspiReader accessibility;
        quillora::test::WaylandTestEnvironment::set(session.get(), &accessibility);
        status = RUN_ALL_TESTS();
        quillora::test::WaylandTestEnvironment::set(nullptr, nullptr);
    }
    session.reset();
    return status;
}
