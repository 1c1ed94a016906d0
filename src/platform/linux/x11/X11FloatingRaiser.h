#pragma once

#include <QAbstractNativeEventFilter>

namespace quillora {

/**
 * Keeps this application's floating windows (tooltip-type windows that bypass the window manager)
 * at the top of the X stack. It watches the root window for windows being restacked or mapped
 * and, when another window moved, raises every visible floating window again. Needed on Wayland
 * compositors that restack managed Xwayland windows while drawing override-redirect ones above
 * them: the X server picks the window for a press by its own stacking. Main thread; does nothing
 * without an X11 connection.
 */
class X11FloatingRaiser final : public QAbstractNativeEventFilter
{
public:
    X11FloatingRaiser();
    ~X11FloatingRaiser() override;
    X11FloatingRaiser(const X11FloatingRaiser&) = delete;
    X11FloatingRaiser& operator=(const X11FloatingRaiser&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void raiseFloatingWindows(unsigned long movedWindow) const;

    bool m_installed = false;
};

} // namespace quillora
