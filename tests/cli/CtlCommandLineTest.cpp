#include "cli/CtlCommandLine.h"
#include "cli/CtlUsageError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

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
