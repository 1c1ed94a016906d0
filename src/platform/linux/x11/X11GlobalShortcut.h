#pragma once

#include "platform/GlobalShortcut.h"
#include "platform/linux/x11/X11KeyGrab.h"

namespace quillora {

/**
 * The desktop-wide shortcut on X11: a passive grab of the combination on the root window (see
 * `X11KeyGrab`). A combination another client grabbed first is reported as taken, not ignored.
 */
class X11GlobalShortcut final : public GlobalShortcut
{
public:
    X11GlobalShortcut();

    void setHandler(Handler handler) override { m_handler = std::move(handler); }
    [[nodiscard]] QCoro::Task<ShortcutBinding> bind(QString combination) override;

private:
    X11KeyGrab m_grab;
    Handler m_handler;
};

} // namespace quillora
