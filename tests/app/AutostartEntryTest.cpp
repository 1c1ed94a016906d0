#include "app/AutostartEntry.h"
#include "support/FileContent.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

QString execLine(const QString& contents)
{
    return QRegularExpression(QStringLiteral("^Exec=(.*)$"), QRegularExpression::MultilineOption)
        .match(contents)
        .captured(1);
}

TEST(AutostartEntryTest, ExecQuotesAProgramPathAsTheDesktopEntryFormatRequires)
{
    struct Case
    {
        QString program;
        QString exec;
    };
    // Inside quotes '"', '`', '$' and '\' take a backslash, and every backslash of the value is
    // doubled once more; '%' is always doubled, since it would start a field code.
    const QList<Case> cases = {
        {QStringLiteral("/usr/bin/quillora"), QStringLiteral("/usr/bin/quillora")},
        {QStringLiteral("/opt/My Apps/quillora"), QStringLiteral("\"/opt/My Apps/quillora\"")},
        {QStringLiteral("/opt/a$b/quillora"), QStringLiteral("\"/opt/a\\\\$b/quillora\"")},
        {QStringLiteral("/opt/a\\b/quillora"), QStringLiteral("\"/opt/a\\\\\\\\b/quillora\"")},
        {QStringLiteral("/opt/100%/quillora"), QStringLiteral("/opt/100%%/quillora")},
        {QStringLiteral("/opt/it's 100%/quillora"), QStringLiteral("\"/opt/it's 100%%/quillora\"")},
    };
    for (const Case& testCase : cases) {
        const AutostartEntry entry(QStringLiteral("/tmp"), testCase.program);
        EXPECT_EQ(execLine(entry.contents()), testCase.exec) << testCase.program.toStdString();
    }
}

TEST(AutostartEntryTest, EntryCountsAsOnUnlessItsOwnGroupSwitchesItOff)
{
    struct Case
    {
        const char* contents;
        bool enabled;
    };
    const QList<Case> cases = {
        {"[Desktop Entry]\nExec=quillora\n", true},
        {"[Desktop Entry]\nExec=quillora\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=quillora\nHidden = true\n", false},
        {"[Desktop Entry]\nExec=quillora\nHidden=false\n", true},
        {"[Desktop Entry]\nExec=quillora\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nExec=quillora\n[Desktop Action quit]\nHidden=true\n", true},
    };
    for (const Case& testCase : cases) {
        QTemporaryDir folder;
        AutostartEntry entry(folder.path(), QStringLiteral("/usr/bin/quillora"));
        ASSERT_TRUE(test::writeFile(entry.filePath(), testCase.contents));
        EXPECT_EQ(entry.isEnabled(), testCase.enabled) << testCase.contents;
    }
}

} // namespace
} // namespace quillora
