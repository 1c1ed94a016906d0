#pragma once

#include "capture/ScriptInfo.h"
#include "capture/SupportedBrowser.h"

#include <QString>

#include <optional>
#include <variant>

namespace quillora {

/**
 * Something the toolkit asks a browser to do in its current page, as a JavaScript snippet:
 * insert text, run a custom script, read the page address, the selection or the focused field's
 * text, or select all text in the focused field.
 */
class BrowserAction final
{
public:
    struct InsertText
    {
        QString text;
        bool operator==(const InsertText&) const = default;
    };
    struct Custom
    {
        QString script;
        std::optional<double> timeout;
        QString description;
        bool operator==(const Custom&) const = default;
    };
    struct GetCurrentTabURL
    {
        bool operator==(const GetCurrentTabURL&) const = default;
    };
    struct GetSelectedText
    {
        bool operator==(const GetSelectedText&) const = default;
    };
    struct GetTextFieldText
    {
        bool operator==(const GetTextFieldText&) const = default;
    };
    struct SelectAllInputText
    {
        bool operator==(const SelectAllInputText&) const = default;
    };
    using Case =
        std::variant<InsertText, Custom, GetCurrentTabURL, GetSelectedText, GetTextFieldText, SelectAllInputText>;

    explicit BrowserAction(Case action);

    static BrowserAction insertText(QString text);
    static BrowserAction custom(QString script, std::optional<double> timeout = std::nullopt, QString description = {});
    static BrowserAction getCurrentTabURL();
    static BrowserAction getSelectedText();
    static BrowserAction getTextFieldText();
    static BrowserAction selectAllInputText();

    [[nodiscard]] const Case& action() const { return m_action; }

    /**
     * The snippet run in the page. The text of `insertText` is escaped for the single-quoted
     * literal it is placed in, so quotes, backslashes and line breaks in it stay text.
     */
    [[nodiscard]] QString javascript() const;

    /** "Insert Text", "Get Selected Text", …; a custom action's description, or "Custom Script". */
    [[nodiscard]] QString actionName() const;

    /** 0.5 s, or a custom action's own time-out (5.0 s when it has none). */
    [[nodiscard]] double defaultTimeout() const;

    /** What the action does in the browser called `browserName`. */
    [[nodiscard]] QString description(const QString& browserName) const;

    /** The script information for `browser`: name, script, time limit and description. */
    [[nodiscard]] ScriptInfo generateScriptInfo(SupportedBrowser browser) const;

    /** The same by bundle identifier; throws `CaptureKitError` `unsupportedBrowser` for any other. */
    [[nodiscard]] ScriptInfo generateScriptInfo(const QString& bundleID) const;

    bool operator==(const BrowserAction&) const = default;

private:
    Case m_action;
};

} // namespace quillora
