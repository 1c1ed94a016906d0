// Feeds arbitrary bytes to the decoders of the backend's answers: the polishing response, its error
// body and the refresh endpoint's token pair. Decoding either succeeds or throws a decoding error.
#include "app/BackendPolishingResponse.h"
#include "core/JsonDecodingError.h"
#include "app/LoginResponse.h"

#include <QByteArray>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const BackendPolishingResponse response = BackendPolishingResponse::decode(body);
        // JSON has no literal for infinity or NaN, so a decoded duration is always finite.
        if (!std::isfinite(response.duration)) {
            std::abort();
        }
    } catch (const JsonDecodingError&) {
    }
    try {
        (void)BackendError::decode(body);
    } catch (const JsonDecodingError&) {
    }
    try {
        (void)LoginResponse::decode(body);
    } catch (const JsonDecodingError&) {
    }
    return 0;
}
