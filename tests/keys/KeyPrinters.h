#pragma once

// Readable GoogleTest output for key values.
#include "keys/KeyEvent.h"
#include "platform/KeyEventSink.h"

#include <ostream>

namespace quillora {

inline void PrintTo(Key key, std::ostream* os)
{
    *os << "Key::" << caseName(key).toStdString();
}

inline void PrintTo(Modifier modifier, std::ostream* os)
{
    *os << "Modifier::" << caseName(modifier).toStdString();
}

inline void PrintTo(const KeyEvent& event, std::ostream* os)
{
    *os << event.encoded().toStdString();
}

inline void PrintTo(const PostedKeyEvent& event, std::ostream* os)
{
    *os << "{code " << event.virtualKey << (event.keyDown ? " down" : " up") << " flags 0x" << std::hex << event.flags
        << std::dec;
    if (event.targetPid) {
        *os << " pid " << *event.targetPid;
    }
    *os << '}';
}

} // namespace quillora
