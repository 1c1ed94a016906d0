#include "cli/CtlCommandLine.h"
#include "cli/CtlUsageError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(CtlCommandLineTest, ParsesEveryCommandWithItsArgumentsAndOptions)
{
    const struct
    {
        QStringList arguments;
        CtlCommand command;
        QStringList commandArguments;
        bool json;
    } cases[] = {
        {{"polish", "Hello there"}, CtlCommand::Polish, {"Hello there"}, false},
        {{"polish", "--json"}, CtlCommand::Polish, {}, true},
        {{"polish", "-", "--backend", "http://127.0.0.1:9"}, CtlCommand::Polish, {"-"}, false},
        {{"polish", "--", "--not-an-option"}, CtlCommand::Polish, {"--not-an-option"}, false},
        {{"--json", "presets", "list"}, CtlCommand::PresetsList, {}, true},
        {{"presets", "delete", "0", "3"}, CtlCommand::PresetsDelete, {"0", "3"}, false},
        {{"history"}, CtlCommand::HistoryList, {}, false},
        {{"history", "list", "--search=tea", "--json"}, CtlCommand::HistoryList, {}, true},
        {{"presets", "add", "--help"}, CtlCommand::Help, {}, false},
        {{"--version"}, CtlCommand::Version, {}, false},
        {{"presets", "add", "--version"}, CtlCommand::Version, {}, false},
        {{"--version", "--help"}, CtlCommand::Help, {}, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.arguments.join(u' ').toStdString());
        const CtlInvocation invocation = CtlCommandLine::parse(testCase.arguments);
        EXPECT_EQ(invocation.command, testCase.command);
        EXPECT_EQ(invocation.arguments, testCase.commandArguments);
        EXPECT_EQ(invocation.json, testCase.json);
    }

    const CtlInvocation search = CtlCommandLine::parse({"history", "--search", "Tea", "--backend=https://x.example"});
    EXPECT_EQ(search.search, QStringLiteral("Tea"));
    EXPECT_EQ(search.backend, QStringLiteral("https://x.example"));
    const CtlInvocation login = CtlCommandLine::parse({"login", "--access-token", "A", "--refresh-token", "R"});
    EXPECT_EQ(login.accessToken, QStringLiteral("A"));
    EXPECT_EQ(login.refreshToken, QStringLiteral("R"));
}

TEST(CtlCommandLineTest, RefusesBadUsageWithOneClearMessage)
{
    const QList<QPair<QStringList, QString>> cases = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"presets"}, "'presets' needs one of: list, add, update, delete, move"},
        {{"presets", "rename"}, "unknown presets command 'rename'"},
        {{"history", "purge"}, "unknown history command 'purge'"},
        {{"presets", "add", "OnlyName"}, "'presets add' needs more arguments"},
        {{"polish", "two", "words"}, "'polish' takes fewer arguments (quote text that contains spaces)"},
        {{"polish", "--verbose"}, "unknown option '--verbose'"},
        {{"history", "--search"}, "option '--search' needs a value"},
        {{"presets", "add", "N", "I", "--json"}, "'presets add' does not take the option '--json'"},
        {{"login", "--access-token", "A"}, "'login' needs --access-token and --refresh-token"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        try {
            (void)CtlCommandLine::parse(arguments);
            ADD_FAILURE() << "accepted";
        } catch (const CtlUsageError& error) {
            EXPECT_EQ(error.localizedDescription(), message);
        }
    }
}

} // namespace
} // namespace quillora
