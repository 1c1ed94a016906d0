#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillora {

/**
 * The browsers the toolkit can script, identified by their bundle identifiers. On Linux no browser
 * takes scripts, so these only name browsers in logs and settings that other systems share.
 */
enum class SupportedBrowser { safari, chrome, edge };

/** The script dialect a browser understands. */
enum class BrowserKernel { safari, chrome };

/** "com.apple.Safari", "com.google.Chrome" or "com.microsoft.edgemac". */
[[nodiscard]] QString rawValue(SupportedBrowser browser);

/** "Safari", "Chrome" or "Microsoft Edge". */
[[nodiscard]] QString displayName(SupportedBrowser browser);

/** Safari speaks the Safari dialect; Chrome and Edge the Chrome one. */
[[nodiscard]] BrowserKernel kernel(SupportedBrowser browser);

/** Every supported browser, in declaration order. */
[[nodiscard]] const QList<SupportedBrowser>& allSupportedBrowsers();

/** The browser with this bundle identifier; none for any other. */
[[nodiscard]] std::optional<SupportedBrowser> supportedBrowserFrom(const QString& bundleID);

/** Whether `bundleID` is one of the supported browsers. */
[[nodiscard]] bool isSupportedBrowser(const QString& bundleID);

/**
 * The script that runs `javascript` in the browser's current page: "do JavaScript … in document
 * 1" for Safari, "execute javascript …" in the front window's active tab for the Chrome dialect.
 * The JavaScript is escaped for the AppleScript string it is placed in, so a script without
 * backslashes or double quotes appears unchanged.
 */
[[nodiscard]] QString generateAppleScript(SupportedBrowser browser, const QString& javascript);

} // namespace quillora
