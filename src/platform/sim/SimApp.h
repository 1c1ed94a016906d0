#pragma once

#include "platform/AXValue.h"
#include "platform/KeyEventSink.h"
#include "platform/Workspace.h"
#include "platform/sim/SimElement.h"

#include <QString>

#include <optional>

namespace quillora {

class SimAccessibility;
class SimClock;
class SimPasteboard;
class SimWorkspace;

/** What a simulated app answers for "AXSelectedText". */
enum class SimSelectedTextAnswer {
    /** The selected text, as a well-behaved app does. */
    Selection,
    /** White space only: as many blanks as the selection is long, at least one. */
    WhiteSpace,
    /** Empty text whatever is selected, as apps that do not expose their selection. */
    Empty,
};

/** How a simulated app starts: its name, its text and the selected range (location, length). */
struct SimAppSetup
{
    QString name = QStringLiteral("TextEdit");
    /** Defaults to "com.example." followed by the lower-case name without blanks. */
    std::optional<QString> bundleID;
    QString text;
    /** In UTF-16 code units, clamped to the text. */
    AXRange selection;
    /** Whether the app becomes the frontmost application when it is added. */
    bool frontmost = true;
};

/**
 * A simulated text editor: one window with a focused text area holding a text and a selection,
 * and a menu bar (Apple, app, File, Edit, Format, Window, Help) whose Edit menu has Undo, Redo,
 * Cut, Copy, Paste and Select All with the standard identifiers ("copy:", …), titles and shortcut
 * characters. Like a real editor it enables Cut and Copy only with a non-empty selection and Paste
 * only while the pasteboard holds text. Pressing Copy (AXPress) or receiving the copy shortcut
 * (key code 8 with the command flag) puts the selection on the pasteboard; pressing Paste or the
 * paste shortcut (code 9) replaces the selection with the pasteboard's text and leaves the caret
 * after it. Shortcuts reach the app when they are posted to its process or to the whole desktop
 * while it is frontmost. The option setters return the app, so a scenario is set up in one line.
 */
class SimApp final
{
public:
    /** The desktop services the app works with. */
    struct Services
    {
        SimWorkspace& workspace;
        SimAccessibility& accessibility;
        SimPasteboard& pasteboard;
        SimClock& clock;
    };

    SimApp(const SimAppSetup& spec, qint64 pid, Services services);
    SimApp(const SimApp&) = delete;
    SimApp& operator=(const SimApp&) = delete;

    // Options.

    /** The app ignores the copy and paste shortcuts (its menu items still work). */
    SimApp& setIgnoresShortcuts(bool ignores = true);
    /** A copy reaches the pasteboard `seconds` of virtual time after it is asked for. */
    SimApp& setCopyDelay(double seconds);
    /** A copy puts only an image (type "public.png") on the pasteboard, no text. */
    SimApp& setCopiesImageOnly(bool imageOnly = true);
    /** Removes the menu bar, or builds it again. */
    SimApp& setHasMenus(bool hasMenus);
    /** Reading "AXSelectedText" fails with `code`; `AXResult::Success` lifts the failure. */
    SimApp& setSelectedTextReadFailure(AXResult code);
    /** What "AXSelectedText" answers. */
    SimApp& setSelectedTextAnswer(SimSelectedTextAnswer answer);
    /** The text area is a password field (subrole "AXSecureTextField"); its text stays readable. */
    SimApp& setSecureField();

    // State.

    /** Makes the app frontmost; the system-wide focus moves to its text area. */
    void activate();
    /** Replaces the text and selects `selection`. */
    void setText(const QString& text, AXRange selection = {});
    /** Selects a range of the text (clamped). */
    void select(AXRange selection);

    [[nodiscard]] const QString& text() const { return m_text; }
    [[nodiscard]] AXRange selection() const { return m_selection; }
    [[nodiscard]] QString selectedText() const;
    [[nodiscard]] qint64 pid() const { return m_pid; }
    [[nodiscard]] const QString& name() const { return m_name; }
    [[nodiscard]] const QString& bundleID() const { return m_bundleID; }
    [[nodiscard]] RunningApplication runningApplication() const;

    /** The focused text area and, while the app has menus, its menu bar and Edit items. */
    [[nodiscard]] const SimElement& textArea() const { return m_textArea; }
    [[nodiscard]] std::optional<SimElement> menuBar() const { return m_menuBar; }
    [[nodiscard]] std::optional<SimElement> copyItem() const { return m_copyItem; }
    [[nodiscard]] std::optional<SimElement> pasteItem() const { return m_pasteItem; }

    /** Copies and pastes performed so far (by menu or shortcut). */
    [[nodiscard]] int copies() const { return m_copies; }
    [[nodiscard]] int pastes() const { return m_pastes; }

    /** Handles a key event posted to the app. */
    void handleKeyEvent(const PostedKeyEvent& event);

    /** Brings the accessibility tree up to date with the text, the selection and the pasteboard. */
    void refresh();

private:
    void buildMenus();
    void copy();
    void paste();

    Services m_services;
    qint64 m_pid;
    QString m_name;
    QString m_bundleID;
    QString m_text;
    AXRange m_selection;
    SimElement m_root;
    SimElement m_textArea;
    std::optional<SimElement> m_menuBar;
    std::optional<SimElement> m_copyItem;
    std::optional<SimElement> m_pasteItem;
    std::optional<SimElement> m_cutItem;
    bool m_ignoresShortcuts = false;
    double m_copyDelay = 0;
    bool m_copiesImageOnly = false;
    SimSelectedTextAnswer m_selectedTextAnswer = SimSelectedTextAnswer::Selection;
    int m_copies = 0;
    int m_pastes = 0;
};

} // namespace quillora
