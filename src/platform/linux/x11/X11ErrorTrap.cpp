#include "platform/linux/x11/X11ErrorTrap.h"

#include <X11/Xlib.h>

namespace quillora {

namespace {

// The innermost live trap; each links to the one it nests in.
X11ErrorTrap* g_innermost = nullptr;
// The handler that was installed before ours, which receives every error no trap claims.
XErrorHandler g_chained = nullptr;
bool g_installed = false;

} // namespace

struct X11ErrorTrapHandler
{
    static int handle(Display* display, XErrorEvent* error)
    {
        for (X11ErrorTrap* trap = g_innermost; trap != nullptr; trap = trap->m_outer) {
            if (trap->m_display == display) {
                ++trap->m_errors;
                trap->m_lastErrorCode = error->error_code;
                return 0;
            }
        }
        return g_chained != nullptr ? g_chained(display, error) : 0;
    }
};

X11ErrorTrap::X11ErrorTrap(_XDisplay* display)
    : m_display(display)
    , m_outer(g_innermost)
{
    if (!g_installed) {
        g_chained = XSetErrorHandler(&X11ErrorTrapHandler::handle);
        g_installed = true;
    }
    // Errors of requests made before the trap belong to whoever made them.
    XSync(m_display, False);
    g_innermost = this;
}

X11ErrorTrap::~X11ErrorTrap()
{
    // Every error caused inside the scope arrives before the trap stops claiming them.
    XSync(m_display, False);
    g_innermost = m_outer;
}

bool X11ErrorTrap::failed()
{
    XSync(m_display, False);
    return m_errors > 0;
}

int X11ErrorTrap::lastErrorCode()
{
    XSync(m_display, False);
    return m_lastErrorCode;
}

} // namespace quillora
