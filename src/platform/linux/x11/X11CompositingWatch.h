#pragma once

#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace quillora {

/**
 * Whether a compositing manager runs on the X11 screen: one owns the selection
 * `_NET_WM_CM_S<screen>` while it runs. Without one, the transparent pixels of a translucent
 * window show black, so floating windows shape themselves instead. Asked once on a display
 * connection of its own (opened on first use from $DISPLAY), then kept up to date by XFixes
 * notifications of the selection's owner changing, the owner's window going away or its client
 * closing. Without a display it answers that nothing composites; without XFixes it asks the server
 * each time. Main thread.
 */
class X11CompositingWatch final
{
public:
    X11CompositingWatch();
    ~X11CompositingWatch();
    X11CompositingWatch(const X11CompositingWatch&) = delete;
    X11CompositingWatch& operator=(const X11CompositingWatch&) = delete;

    /** True while the selection has an owner, as of the last notification handled. */
    [[nodiscard]] bool isCompositing();

private:
    bool open();
    void drain();
    [[nodiscard]] bool askOwner() const;

    _XDisplay* m_display = nullptr;
    bool m_opened = false;
    unsigned long m_selection = 0;
    int m_fixesEventBase = -1;
    bool m_compositing = false;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace quillora
