#include "platform/linux/X11KeyEventSink.h"

namespace quillora {

bool X11KeyEventSink::post(const PostedKeyEvent&)
{
    return false;
}

} // namespace quillora
