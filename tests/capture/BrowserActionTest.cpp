#include "capture/BrowserAction.h"
#include "capture/AppleScriptManager.h"
#include "capture/CaptureKitError.h"
#include "capture/ScriptEscaping.h"

#include "support/QtPrinters.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Reads a double-quoted AppleScript string body back, as AppleScript does.
QString unescapeAppleScript(const QString& body)
{
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'"') {
            ADD_FAILURE() << "unescaped double quote ends the AppleScript string";
        }
        if (body[i] == u'\\' && i + 1 < body.size()) {
            ++i;
        }
        text += body[i];
    }
    return text;
}

TEST(BrowserActionTest, InsertedTextStaysTextThroughBothQuotingLayers)
{
    struct Case
    {
        QString text;
        QString javascriptLiteral; // what goes between the single quotes
    };
    const Case cases[] = {
        {"plain words", "plain words"},
        {"It's", "It\\'s"},
        {"say \"hi\"", "say \"hi\""},
        {"C:\\temp", "C:\\\\temp"},
        {"line one\nline two\r", "line one\\nline two\\r"},
        {QString("a") + QChar(0x2028) + QChar(0x2029), "a\\u2028\\u2029"},
        {"'); alert(document.cookie); ('", "\\'); alert(document.cookie); (\\'"},
        {"</script>", "</script>"},
    };
    for (const Case& c : cases) {
        const BrowserAction action = BrowserAction::insertText(c.text);
        EXPECT_EQ(action.javascript(), "document.execCommand('insertText', false, '" + c.javascriptLiteral + "')");

        const QString script = action.generateScriptInfo(SupportedBrowser::safari).script;
        const QString prefix = "tell application id \"com.apple.Safari\"\n    do JavaScript \"";
        const QString suffix = "\" in document 1\nend tell";
        ASSERT_TRUE(script.startsWith(prefix) && script.endsWith(suffix));
        EXPECT_EQ(unescapeAppleScript(script.mid(prefix.size(), script.size() - prefix.size() - suffix.size())),
                  action.javascript());
    }
    EXPECT_EQ(escapedForAppleScriptString("a \"b\" \\c"), "a \\\"b\\\" \\\\c");
    EXPECT_EQ(escapedForAppleScriptString("window.getSelection().toString();"), "window.getSelection().toString();");
}

} // namespace
} // namespace quillora
