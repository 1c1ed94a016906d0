#pragma once

#include "platform/KeyEventSink.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

namespace quillora {

class UserDefaults;
class X11WindowDirectory;

/**
 * Posts key events to the X server, over its own display connection (opened on first use from
 * $DISPLAY). Virtual key codes become X keysyms, then key codes of the current keyboard map; a
 * keysym the map lacks is put on a spare key code (one without symbols) for as long as this sink
 * lives. The modifier flags become held modifier keys. Events for the whole desktop, or for an
 * application whose window is active, are faked through XTest (the modifiers pressed before the
 * key on key-down, released after it on key-up), exactly as if typed. Events for an application in
 * the background are sent to its top-level window as synthetic key events carrying the modifier
 * state; some applications ignore those.
 *
 * On Linux the copy and paste shortcuts are Ctrl+C and Ctrl+V, so `command` is held as Control.
 * A terminal emulator (its window class is in the user-defaults list "terminalWindowClasses")
 * would take Ctrl+C as an interrupt: there Control with C or V gets Shift added, the terminals'
 * own copy and paste. Callers await `modifiersReleased` before a shortcut, so that modifier keys the
 * user still holds do not join it. The key-up
 * releases exactly what its key-down pressed; the destructor releases whatever is still held.
 */
class X11KeyEventSink final : public KeyEventSink
{
public:
    /** The user-defaults key of the terminal window classes: text, classes separated by commas. */
    static constexpr auto terminalClassesKey = "terminalWindowClasses";

    /**
     * Reads the terminal classes from `defaults` (not owned) on every shortcut, and windows through
     * `windows`, which other parts of the backend may share.
     */
    explicit X11KeyEventSink(const UserDefaults& defaults, std::shared_ptr<X11WindowDirectory> windows = nullptr);
    ~X11KeyEventSink() override;

    /**
     * Posts one event. Returns false without a display or the XTest extension, for a code with
     * no X equivalent or a keysym missing from the keyboard map, and for a target process that
     * owns no top-level window.
     */
    bool post(const PostedKeyEvent& event) override;

    /** Looks at the keyboard every 5 ms until no modifier of the user's is down. */
    QCoro::Task<> modifiersReleased(int budgetMs) override;

    /** The X keysym of a virtual key code of the key table; none for a code with no X equivalent. */
    [[nodiscard]] static std::optional<quint32> keysymForVirtualKey(int virtualKey);

    /**
     * The modifier keysyms held for `flags`, in press order and each once: command and control
     * give Control_L, option gives Alt_L, shift gives Shift_L; caps lock, function, help and
     * numeric-pad flags are ignored.
     */
    [[nodiscard]] static QList<quint32> modifierKeysyms(quint64 flags);

    /** The window classes taken as terminals when user defaults name none. */
    [[nodiscard]] static QStringList defaultTerminalClasses();

    /**
     * The terminal classes: those stored under "terminalWindowClasses" (compared without regard to
     * case), else the defaults.
     */
    [[nodiscard]] QStringList terminalClasses() const;

private:
    /** What a key-down pressed through XTest: released in reverse by its key-up. */
    struct HeldKeys
    {
        quint8 key = 0;
        QList<quint8> modifiers;
    };

    [[nodiscard]] quint8 keycodeFor(quint32 keysym);
    [[nodiscard]] bool isTerminal(quint64 window);
    /** True while the user (not this sink) holds a modifier key down. */
    [[nodiscard]] bool userHoldsModifier();
    void releaseAll();

    const UserDefaults& m_defaults;
    std::shared_ptr<X11WindowDirectory> m_windows;
    std::optional<bool> m_hasXTest;
    /** Keys pressed through XTest whose key-up has not been posted yet, by virtual key. */
    QHash<int, HeldKeys> m_held;
    /** The spare key code lent to a keysym missing from the keyboard map, and that keysym. */
    quint8 m_spareKeycode = 0;
    quint32 m_spareKeysym = 0;
};

} // namespace quillora
