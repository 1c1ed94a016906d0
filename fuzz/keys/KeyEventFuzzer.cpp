// Feeds arbitrary bytes to the key event decoder. Anything it accepts must encode and decode back
// to the same event; anything it rejects must be rejected with a decoding error, never a crash.
#include "keys/KeyEvent.h"
#include "keys/KeyEventDecodingError.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const quillora::KeyEvent event = quillora::KeyEvent::decode(bytes);
        if (quillora::KeyEvent::decode(event.encoded()) != event) {
            std::abort();
        }
    } catch (const quillora::KeyEventDecodingError& error) {
        if (error.description().isEmpty()) {
            std::abort();
        }
    }
    return 0;
}
