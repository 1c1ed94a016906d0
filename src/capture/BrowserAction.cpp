#include "capture/BrowserAction.h"

#include "capture/CaptureKitError.h"
#include "capture/ScriptEscaping.h"

namespace quillora {

namespace {

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

constexpr double kDefaultTimeout = 0.5;
constexpr double kDefaultCustomTimeout = 5.0;

const char* const kTextFieldTextScript = R"JS((function() {
    var el = document.activeElement;
    if (!el) return '';
    if (el.tagName === 'INPUT' || el.tagName === 'TEXTAREA') {
        return el.value;
    }
    if (el.isContentEditable) {
        return el.innerText || el.textContent || '';
    }
    return '';
})();)JS";

const char* const kSelectAllScript = R"JS((function() {
    const activeElement = document.activeElement;

    if (!activeElement) {
        console.log('No active element found');
        return false;
    }

    // For input and textarea elements
    if (activeElement.tagName === 'INPUT' || activeElement.tagName === 'TEXTAREA') {
        activeElement.select();
        return true;
    }

    // For contentEditable elements
    if (activeElement.isContentEditable) {
        const range = document.createRange();
        range.selectNodeContents(activeElement);

        const selection = window.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);

        return true;
    }

    console.log('Active element is neither input, textarea, nor contentEditable');
    return false;
})();)JS";

} // namespace

BrowserAction::BrowserAction(Case action)
    : m_action(std::move(action))
{
}

BrowserAction BrowserAction::insertText(QString text)
{
    return BrowserAction(InsertText{std::move(text)});
}

BrowserAction BrowserAction::custom(QString script, std::optional<double> timeout, QString description)
{
    return BrowserAction(Custom{std::move(script), timeout, std::move(description)});
}

BrowserAction BrowserAction::getCurrentTabURL()
{
    return BrowserAction(GetCurrentTabURL{});
}

BrowserAction BrowserAction::getSelectedText()
{
    return BrowserAction(GetSelectedText{});
}

BrowserAction BrowserAction::getTextFieldText()
{
    return BrowserAction(GetTextFieldText{});
}

BrowserAction BrowserAction::selectAllInputText()
{
    return BrowserAction(SelectAllInputText{});
}

QString BrowserAction::javascript() const
{
    return std::visit(Overloaded{
                          [](const InsertText& a) {
                              return QStringLiteral("document.execCommand('insertText', false, '") +
                                     escapedForJavaScriptString(a.text) + QStringLiteral("')");
                          },
                          [](const Custom& a) { return a.script; },
                          [](const GetCurrentTabURL&) { return QStringLiteral("window.location.href"); },
                          [](const GetSelectedText&) { return QStringLiteral("window.getSelection().toString();"); },
                          [](const GetTextFieldText&) { return QString::fromUtf8(kTextFieldTextScript); },
                          [](const SelectAllInputText&) { return QString::fromUtf8(kSelectAllScript); },
                      },
                      m_action);
}

QString BrowserAction::actionName() const
{
    return std::visit(
        Overloaded{
            [](const InsertText&) { return QStringLiteral("Insert Text"); },
            [](const Custom& a) { return a.description.isEmpty() ? QStringLiteral("Custom Script") : a.description; },
            [](const GetCurrentTabURL&) { return QStringLiteral("Get Current Tab URL"); },
            [](const GetSelectedText&) { return QStringLiteral("Get Selected Text"); },
            [](const GetTextFieldText&) { return QStringLiteral("Get Text Field Text"); },
            [](const SelectAllInputText&) { return QStringLiteral("Select All Text"); },
        },
        m_action);
}

double BrowserAction::defaultTimeout() const
{
    if (const auto* custom = std::get_if<Custom>(&m_action)) {
        return custom->timeout.value_or(kDefaultCustomTimeout);
    }
    return kDefaultTimeout;
}

QString BrowserAction::description(const QString& browserName) const
{
    return std::visit(
        Overloaded{
            [&](const InsertText&) {
                return QStringLiteral("Inserts text at the current cursor position in ") + browserName;
            },
            [&](const Custom& a) {
                return a.description.isEmpty() ? QStringLiteral("Executes custom JavaScript in ") + browserName
                                               : a.description;
            },
            [&](const GetCurrentTabURL&) {
                return QStringLiteral("Retrieves the URL of the currently active tab in ") + browserName;
            },
            [&](const GetSelectedText&) {
                return QStringLiteral("Gets the currently selected text from ") + browserName +
                       QStringLiteral(" using JavaScript");
            },
            [&](const GetTextFieldText&) {
                return QStringLiteral("Retrieves text from the currently focused input field in ") + browserName;
            },
            [&](const SelectAllInputText&) {
                return QStringLiteral("Selects all text in the currently focused input element in ") + browserName;
            },
        },
        m_action);
}

ScriptInfo BrowserAction::generateScriptInfo(SupportedBrowser browser) const
{
    const QString name = displayName(browser);
    return ScriptInfo{name + u' ' + actionName(), generateAppleScript(browser, javascript()), defaultTimeout(),
                      description(name)};
}

ScriptInfo BrowserAction::generateScriptInfo(const QString& bundleID) const
{
    const std::optional<SupportedBrowser> browser = supportedBrowserFrom(bundleID);
    if (!browser) {
        throw CaptureKitError::browserNotSupported(bundleID);
    }
    return generateScriptInfo(*browser);
}

} // namespace quillora
