#pragma once

#include "platform/KeyEventSink.h"

namespace quillora {

/** Posts key events to the X server through XTest. (Placeholder until the X11 backend lands.) */
class X11KeyEventSink final : public KeyEventSink
{
public:
    bool post(const PostedKeyEvent& event) override;
};

} // namespace quillora
