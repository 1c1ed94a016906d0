#include "capture/SupportedBrowser.h"

#include "capture/ScriptEscaping.h"

namespace quillora {

QString rawValue(SupportedBrowser browser)
{
    switch (browser) {
    case SupportedBrowser::safari:
        return QStringLiteral("com.apple.Safari");
    case SupportedBrowser::chrome:
        return QStringLiteral("com.google.Chrome");
    case SupportedBrowser::edge:
        return QStringLiteral("com.microsoft.edgemac");
    }
    return {};
}

QString displayName(SupportedBrowser browser)
{
    switch (browser) {
    case SupportedBrowser::safari:
        return QStringLiteral("Safari");
    case SupportedBrowser::chrome:
        return QStringLiteral("Chrome");
    case SupportedBrowser::edge:
        return QStringLiteral("Microsoft Edge");
    }
    return {};
}

BrowserKernel kernel(SupportedBrowser browser)
{
    return browser == SupportedBrowser::safari ? BrowserKernel::safari : BrowserKernel::chrome;
}

const QList<SupportedBrowser>& allSupportedBrowsers()
{
    static const QList<SupportedBrowser> browsers{SupportedBrowser::safari, SupportedBrowser::chrome,
                                                  SupportedBrowser::edge};
    return browsers;
}

std::optional<SupportedBrowser> supportedBrowserFrom(const QString& bundleID)
{
    for (SupportedBrowser browser : allSupportedBrowsers()) {
        if (rawValue(browser) == bundleID) {
            return browser;
        }
    }
    return std::nullopt;
}

bool isSupportedBrowser(const QString& bundleID)
{
    return supportedBrowserFrom(bundleID).has_value();
}

QString generateAppleScript(SupportedBrowser browser, const QString& javascript)
{
    const QString quoted = escapedForAppleScriptString(javascript);
    if (kernel(browser) == BrowserKernel::safari) {
        return QStringLiteral("tell application id \"") + rawValue(SupportedBrowser::safari) +
               QStringLiteral("\"\n    do JavaScript \"") + quoted + QStringLiteral("\" in document 1\nend tell");
    }
    return QStringLiteral("tell application id \"") + rawValue(browser) +
           QStringLiteral("\"\n    tell active tab of front window\n        execute javascript \"") + quoted +
           QStringLiteral("\"\n    end tell\nend tell");
}

} // namespace quillora
