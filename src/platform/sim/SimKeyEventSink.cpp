#include "platform/sim/SimKeyEventSink.h"

namespace quillora {

bool SimKeyEventSink::post(const PostedKeyEvent& event)
{
    if (m_unmappable.contains(event.virtualKey)) {
        return false;
    }
    m_events.append(event);
    if (m_listener) {
        m_listener(event);
    }
    return true;
}

} // namespace quillora
