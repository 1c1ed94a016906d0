// Feeds arbitrary bytes to the history file's decoder. Whatever decodes must be written back and
// read again to the same file content.
#include "app/HistoryManager.h"
#include "core/JsonDecodingError.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quillora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        const QByteArray written = HistoryManager::encodeHistory(HistoryManager::decodeHistory(content));
        if (HistoryManager::encodeHistory(HistoryManager::decodeHistory(written)) != written) {
            std::abort();
        }
    } catch (const JsonDecodingError&) {
    }
    return 0;
}
