#include "capture/AXManager.h"

#include "ax/Application.h"
#include "ax/SystemWideElement.h"
#include "capture/ElementAccessors.h"
#include "capture/Log.h"
#include "capture/MenuItemSearch.h"
#include "platform/Platform.h"

namespace quillora {

AXManager& AXManager::shared()
{
    static AXManager manager;
    return manager;
}

UIElement AXManager::findMenuItem(SystemMenuItem item, RequireEnabled requireEnabled)
{
    if (!checkIsProcessTrusted(TrustPrompt::Prompt)) {
        logError(QStringLiteral("Process is not trusted for accessibility"));
        throw AXError(AXResult::APIDisabled);
    }
    const std::optional<RunningApplication> front = Platform::current().workspace().frontmostApplication();
    const QString bundleID = front ? front->bundleIdentifier.value_or(QString()) : QString();
    logInfo(QStringLiteral("Checking %1 item in frontmost app: %2").arg(caseName(item), privateValue(bundleID)));

    const std::optional<Application> application = front ? Application::fromRunningApplication(*front) : std::nullopt;
    if (!application) {
        throw AXError(AXError::noMenuItem);
    }
    const std::optional<UIElement> found = capture::findMenuItem(*application, item);
    if (!found) {
        throw AXError(AXError::noMenuItem);
    }
    if (requireEnabled == RequireEnabled::No) {
        return *found;
    }
    if (capture::isEnabled(*found) == true) {
        logInfo(QStringLiteral("Found enabled %1 item in frontmost application menu").arg(caseName(item)));
        return *found;
    }
    logError(QStringLiteral("%1 item not enabled").arg(caseName(item)));
    throw AXError(AXError::disabledMenuItem);
}

UIElement AXManager::findEnabledMenuItem(SystemMenuItem item)
{
    return findMenuItem(item, RequireEnabled::Yes);
}

bool AXManager::hasMenuItem(SystemMenuItem item)
{
    try {
        (void)findMenuItem(item, RequireEnabled::No);
        return true;
    } catch (const Error&) {
        return false;
    }
}

bool AXManager::hasCopyMenuItem()
{
    return hasMenuItem(SystemMenuItem::copy);
}

bool AXManager::hasPasteMenuItem()
{
    return hasMenuItem(SystemMenuItem::paste);
}

AXRect AXManager::getSelectedTextFrame()
{
    const std::optional<UIElement> focused = capture::focusedUIElement(systemWideElement());
    if (!focused) {
        return {};
    }
    const std::optional<AXRange> range = capture::selectedTextRange(*focused);
    if (!range) {
        return {};
    }
    return focused->parameterizedAttribute<AXRect>(Attribute::boundsForRangeParameterized, AXAny(*range))
        .value_or(AXRect());
}

QCoro::Task<QString> AXManager::getSelectedTextByAX()
{
    logInfo(QStringLiteral("Getting selected text via AX"));
    if (const std::optional<UIElement> focused = capture::focusedUIElement(systemWideElement())) {
        if (const std::optional<QString> text = capture::selectedText(*focused)) {
            logInfo(QStringLiteral("Selected text via AX: ") + privateValue(*text));
            co_return *text;
        }
    }
    throw AXError(AXResult::NoValue);
}

} // namespace quillora
