#pragma once

#include "platform/KeyEventSink.h"

#include <QList>
#include <QSet>

#include <memory>
#include <optional>

namespace quillora {

class X11WindowDirectory;

/**
 * Posts key events to the X server, over its own display connection (opened on first use from
 * $DISPLAY). Virtual key codes become X keysyms, then key codes of the current keyboard map; the
 * modifier flags become held modifier keys. Events for the whole desktop, or for an application
 * whose window is active, are faked through XTest (the modifiers pressed before the key on
 * key-down, released after it on key-up), exactly as if typed. Events for an application in the
 * background are sent to its top-level window as synthetic key events carrying the modifier state;
 * some applications ignore those.
 *
 * On Linux the copy and paste shortcuts are Ctrl+C and Ctrl+V, so `command` is held as Control.
 * A key-down posted without its key-up leaves the key and its modifiers held on the X server.
 */
class X11KeyEventSink final : public KeyEventSink
{
public:
    X11KeyEventSink();
    ~X11KeyEventSink() override;

    /**
     * Posts one event. Returns false without a display or the XTest extension, for a code with
     * no X equivalent or a keysym missing from the keyboard map, and for a target process that
     * owns no top-level window.
     */
    bool post(const PostedKeyEvent& event) override;

    /** The X keysym of a virtual key code of the key table; none for a code with no X equivalent. */
    [[nodiscard]] static std::optional<quint32> keysymForVirtualKey(int virtualKey);

    /**
     * The modifier keysyms held for `flags`, in press order and each once: command and control
     * give Control_L, option gives Alt_L, shift gives Shift_L; caps lock, function, help and
     * numeric-pad flags are ignored.
     */
    [[nodiscard]] static QList<quint32> modifierKeysyms(quint64 flags);

private:
    std::unique_ptr<X11WindowDirectory> m_windows;
    std::optional<bool> m_hasXTest;
    /** Virtual keys whose key-down went through XTest and whose key-up has not been posted yet. */
    QSet<int> m_pressedThroughXTest;
};

} // namespace quillora
