#pragma once

#include <optional>

namespace quillora {

/** The orientation of an element, with the platform's integer raw values. */
enum class Orientation { unknown = 0, vertical = 1, horizontal = 2 };

/** The case with raw value `raw`; none for any other integer. */
[[nodiscard]] constexpr std::optional<Orientation> orientationFromRawValue(long long raw)
{
    if (raw < 0 || raw > 2) {
        return std::nullopt;
    }
    return static_cast<Orientation>(raw);
}

} // namespace quillora
