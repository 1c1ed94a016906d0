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

TEST(BrowserActionTest, ScriptShapeFollowsTheBrowserKindAndCustomSettings)
{
    // Chrome-kernel browsers run the JavaScript in the active tab; Safari runs it in the document.
    const ScriptInfo edge = BrowserAction::getSelectedText().generateScriptInfo(rawValue(SupportedBrowser::edge));
    EXPECT_EQ(edge, BrowserAction::getSelectedText().generateScriptInfo(SupportedBrowser::edge));
    EXPECT_EQ(edge.script,
              "tell application id \"com.microsoft.edgemac\"\n    tell active tab of front window\n        "
              "execute javascript \"window.getSelection().toString();\"\n    end tell\nend tell");
    EXPECT_EQ(edge.timeout, 0.5);

    // A custom script's own timeout and description win over the defaults.
    EXPECT_EQ(BrowserAction::custom("1", 2.5, "Read one").generateScriptInfo(rawValue(SupportedBrowser::safari)),
              (ScriptInfo{"Safari Read one",
                          "tell application id \"com.apple.Safari\"\n    do JavaScript \"1\" in "
                          "document 1\nend tell",
                          2.5, "Read one"}));
    const ScriptInfo custom = BrowserAction::custom("document.title").generateScriptInfo(SupportedBrowser::chrome);
    EXPECT_EQ(custom.timeout, 5.0);
    EXPECT_EQ(custom.name, "Chrome Custom Script");
}

TEST(BrowserActionTest, OtherBundleIdentifiersAreUnsupported)
{
    for (const QString bundleID : {"org.mozilla.firefox", "com.apple.safari", ""}) {
        EXPECT_EQ(
            test::thrown<CaptureKitError>([&] { (void)BrowserAction::getSelectedText().generateScriptInfo(bundleID); }),
            CaptureKitError::browserNotSupported(bundleID));
        EXPECT_FALSE(AppleScriptManager::isBrowserSupportingAppleScript(bundleID));
    }
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

TEST(BrowserActionTest, ScriptAnswersReadAsBooleansThePlatformWay)
{
    const std::pair<const char*, bool> cases[] = {
        {"true", true},   {"YES", true}, {"  t", true}, {"1", true}, {"-0007", true}, {"+9", true},
        {"false", false}, {"no", false}, {"0", false},  {"", false}, {"000", false},  {"x1", false},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(AppleScriptManager::textBoolValue(text), expected) << text;
    }
}

} // namespace
} // namespace quillora
