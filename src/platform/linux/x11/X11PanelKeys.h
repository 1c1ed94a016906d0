#pragma once

#include "platform/PanelKeys.h"
#include "platform/linux/x11/X11KeyGrab.h"

namespace quillora {

/** The results panel's keys on X11: passive grabs on the root window while the panel is up. */
class X11PanelKeys final : public PanelKeys
{
public:
    bool grab(Handler handler) override;
    void release() override;

    /** What a grabbed chord means to the panel. */
    [[nodiscard]] static PanelKeyPress pressFor(const X11KeyGrab::Chord& chord);

private:
    X11KeyGrab m_grab;
    bool m_grabbed = false;
};

} // namespace quillora
