#include "capture/BrowserAction.h"
#include "capture/AppleScriptManager.h"
#include "capture/CaptureKitError.h"
#include "capture/ScriptEscaping.h"

#include "support/QtPrinters.h"

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

// Reads a single-quoted JavaScript literal body back, for the escapes the toolkit writes.
QString unescapeJavaScript(const QString& body)
{
    QString text;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'\'' || body[i] == u'\n' || body[i] == u'\r' || body[i] == QChar(0x2028)) {
            ADD_FAILURE() << "the text ends the JavaScript literal";
        }
        if (body[i] != u'\\') {
            text += body[i];
            continue;
        }
        const QChar next = body[++i];
        if (next == u'n') {
            text += u'\n';
        } else if (next == u'r') {
            text += u'\r';
        } else if (next == u'u') {
            text += QChar(body.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else {
            text += next;
        }
    }
    return text;
}

TEST(BrowserActionTest, ScriptInformationPerBrowser)
{
    struct Case
    {
        BrowserAction action;
        SupportedBrowser browser;
        QString name;
        double timeout;
        QString description;
        QString script;
    };
    const Case cases[] = {
        {BrowserAction::getSelectedText(), SupportedBrowser::edge, "Microsoft Edge Get Selected Text", 0.5,
         "Gets the currently selected text from Microsoft Edge using JavaScript",
         "tell application id \"com.microsoft.edgemac\"\n    tell active tab of front window\n        execute "
         "javascript \"window.getSelection().toString();\"\n    end tell\nend tell"},
        {BrowserAction::custom("document.title"), SupportedBrowser::chrome, "Chrome Custom Script", 5.0,
         "Executes custom JavaScript in Chrome",
         "tell application id \"com.google.Chrome\"\n    tell active tab of front window\n        execute "
         "javascript \"document.title\"\n    end tell\nend tell"},
        {BrowserAction::custom("1", 2.5, "Read one"), SupportedBrowser::safari, "Safari Read one", 2.5, "Read one",
         "tell application id \"com.apple.Safari\"\n    do JavaScript \"1\" in document 1\nend tell"},
        {BrowserAction::insertText("Hi"), SupportedBrowser::chrome, "Chrome Insert Text", 0.5,
         "Inserts text at the current cursor position in Chrome",
         "tell application id \"com.google.Chrome\"\n    tell active tab of front window\n        execute "
         "javascript \"document.execCommand('insertText', false, 'Hi')\"\n    end tell\nend tell"},
    };
    for (const Case& c : cases) {
        const ScriptInfo info = c.action.generateScriptInfo(c.browser);
        EXPECT_EQ(info, (ScriptInfo{c.name, c.script, c.timeout, c.description}));
        EXPECT_EQ(c.action.generateScriptInfo(rawValue(c.browser)), info);
    }
}

TEST(BrowserActionTest, OtherBundleIdentifiersAreUnsupported)
{
    for (const QString bundleID : {"org.mozilla.firefox", "com.apple.safari", ""}) {
        try {
            (void)BrowserAction::getSelectedText().generateScriptInfo(bundleID);
            ADD_FAILURE() << bundleID.toStdString();
        } catch (const CaptureKitError& error) {
            EXPECT_EQ(error, CaptureKitError::browserNotSupported(bundleID));
        }
        EXPECT_FALSE(AppleScriptManager::isBrowserSupportingAppleScript(bundleID));
    }
    EXPECT_TRUE(AppleScriptManager::isSafari("com.apple.Safari"));
    EXPECT_FALSE(AppleScriptManager::isSafari("com.google.Chrome"));
    EXPECT_TRUE(AppleScriptManager::isChromeKernelBrowser("com.microsoft.edgemac"));
    EXPECT_TRUE(AppleScriptManager::isChromeKernelBrowser("com.google.Chrome"));
    EXPECT_FALSE(AppleScriptManager::isChromeKernelBrowser("com.apple.Safari"));
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
        EXPECT_EQ(unescapeJavaScript(c.javascriptLiteral), c.text);

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
