#include "platform/linux/x11/X11PanelKeys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace quillora {

PanelKeyPress X11PanelKeys::pressFor(const X11KeyGrab::Chord& chord)
{
    const bool shift = (chord.modifiers & ShiftMask) != 0;
    switch (chord.keysym) {
    case XK_Escape:
        return {PanelKeyPress::Kind::escape, 0, shift};
    case XK_Tab:
        return {PanelKeyPress::Kind::tab, 0, shift};
    case XK_Return:
        return {PanelKeyPress::Kind::enter, 0, shift};
    default:
        return {PanelKeyPress::Kind::number, int(chord.keysym - XK_0), shift};
    }
}

bool X11PanelKeys::grab(Handler handler)
{
    release();
    QList<X11KeyGrab::Chord> chords{{XK_Escape, 0}, {XK_Tab, 0}, {XK_Return, 0}};
    for (unsigned long digit = XK_1; digit <= XK_9; ++digit) {
        chords.append({digit, 0});
        chords.append({digit, ShiftMask});
    }
    m_grab.setHandler([handler = std::move(handler)](const X11KeyGrab::Chord& chord) { handler(pressFor(chord)); });
    m_grabbed = m_grab.grab(chords) == X11KeyGrab::Result::grabbed;
    return m_grabbed;
}

void X11PanelKeys::release()
{
    if (m_grabbed) {
        m_grab.releaseAll();
        m_grabbed = false;
    }
}

} // namespace quillora
