#include "platform/linux/x11/X11Workspace.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QByteArray>

namespace quillora {
namespace {

TEST(X11WorkspaceTest, WithoutADisplayNoApplicationRuns)
{
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    const X11Workspace workspace;
    EXPECT_TRUE(workspace.runningApplications().isEmpty());
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
    if (!display.isNull()) {
        qputenv("DISPLAY", display);
    }
}

TEST(X11WorkspaceTest, LaunchingAProgramThatDoesNotExistThrowsAClearError)
{
    X11Workspace workspace;
    for (const QString& name : {QStringLiteral("quillora-no-such-program-4711"), QStringLiteral("  ")}) {
        try {
            workspace.launchApplication(name);
            ADD_FAILURE() << "launched " << name.toStdString();
        } catch (const ErrorRecord& error) {
            EXPECT_EQ(error.domain(), QStringLiteral("X11Workspace"));
            EXPECT_EQ(error.localizedDescription(),
                      QStringLiteral("The application \"%1\" could not be launched: no program of that name could be "
                                     "started.")
                          .arg(name));
        }
    }
}

} // namespace
} // namespace quillora
