// Feeds arbitrary bytes to the reader of upstream answers, once whole and once split where the
// input's first byte says: the bytes' arrival must not change what is read.
#include "server/http/HttpResponseParser.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace quillora;

namespace {

constexpr qint64 kMaxBody = 4096;

HttpResponseParser parse(QByteArrayView first, QByteArrayView second)
{
    HttpResponseParser parser(kMaxBody);
    parser.feed(first);
    parser.feed(second);
    parser.end();
    return parser;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const qsizetype split = bytes.isEmpty() ? 0 : data[0] % (bytes.size() + 1);
    const HttpResponseParser whole = parse(bytes, {});
    const HttpResponseParser pieces = parse(bytes.first(split), bytes.sliced(split));
    if (whole.state() != pieces.state()) {
        std::abort();
    }
    if (whole.state() == HttpResponseParser::State::Complete &&
        (whole.status() != pieces.status() || whole.body() != pieces.body() ||
         whole.keepAlive() != pieces.keepAlive() || whole.body().size() > kMaxBody)) {
        std::abort();
    }
    return 0;
}
