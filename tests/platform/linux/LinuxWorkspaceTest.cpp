#include "platform/linux/LinuxWorkspace.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace quillora {
namespace {

TEST(LinuxWorkspaceTest, WithoutADisplayNoApplicationRuns)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const LinuxWorkspace workspace;
    EXPECT_TRUE(workspace.runningApplications().isEmpty());
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
    if (!display.isNull()) {
        qputenv("DISPLAY", display);
    }
}

TEST(LinuxWorkspaceTest, LaunchingAProgramThatDoesNotExistThrowsAClearError)
{
    LinuxWorkspace workspace;
    for (const QString& name : {QStringLiteral("quillora-no-such-program-4711"), QStringLiteral("  ")}) {
        try {
            workspace.launchApplication(name);
            ADD_FAILURE() << "launched " << name.toStdString();
        } catch (const ErrorRecord& error) {
            EXPECT_EQ(error.domain(), QStringLiteral("LinuxWorkspace"));
            EXPECT_EQ(error.localizedDescription(),
                      QStringLiteral("The application \"%1\" could not be launched: no program of that name could be "
                                     "started.")
                          .arg(name));
        }
    }
}

} // namespace
} // namespace quillora
