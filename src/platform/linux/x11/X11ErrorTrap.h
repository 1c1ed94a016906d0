#pragma once

struct _XDisplay;

namespace quillora {

/**
 * Traps X protocol errors on one display while it lives, where Xlib's default handler would end
 * the process. Xlib has a single process-wide handler; this one is installed once, on the first
 * trap, and hands every error that no live trap claims to the handler it found, so code that set
 * its own handler before keeps receiving its errors. Traps may nest; the innermost trap on the
 * error's display records it. Main thread only, as all X11 use here.
 */
class X11ErrorTrap final
{
public:
    explicit X11ErrorTrap(_XDisplay* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    /** Synchronises with the server and tells whether any request so far failed. */
    [[nodiscard]] bool failed();

    /** Synchronises and returns the code of the last error trapped (BadAccess, BadWindow, …), 0 for none. */
    [[nodiscard]] int lastErrorCode();

private:
    friend struct X11ErrorTrapHandler;

    _XDisplay* m_display;
    X11ErrorTrap* m_outer;
    int m_errors = 0;
    int m_lastErrorCode = 0;
};

} // namespace quillora
