// Entry point of the tests that need a real X11 desktop: it starts a private one (Xvfb, openbox,
// a session bus and the AT-SPI bus) before the QApplication, runs the tests in it and ends every
// process it started. Where no X server can be started it says why and exits with 77, which CTest
// reports as skipped.
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

pid_t g_group = 0;

// An interrupted or timed-out test still ends the whole desktop it started.
void endDesktop(int signal)
{
    if (g_group > 0) {
        ::kill(-g_group, SIGKILL);
    }
    _exit(128 + signal);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The accessibility and D-Bus libraries are built without frame pointers, so the fast unwinder stops
// inside them and the leak report cannot tell their own leaks from ours. This process unwinds fully
// (only this one: the programs it launches keep the fast unwinder, or they would start too slowly).
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0:malloc_context_size=16";
}
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QString whyNot;
    std::unique_ptr<quillora::test::DesktopSession> session = quillora::test::DesktopSession::start(&whyNot);
    if (!session) {
        std::printf("SKIPPED: no X server can be started here (%s); the desktop tests did not run.\n",
                    qPrintable(whyNot));
        return 77;
    }
    g_group = pid_t(session->processGroup());
    std::signal(SIGTERM, endDesktop);
    std::signal(SIGINT, endDesktop);
    int status = 0;
    {
        QApplication app(argc, argv);
        quillora::test::DesktopTestEnvironment::setSession(session.get());
        status = RUN_ALL_TESTS();
        quillora::test::DesktopTestEnvironment::setSession(nullptr);
    }
    session.reset();
    return status;
}
