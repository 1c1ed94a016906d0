#pragma once

#include <optional>

namespace quillora::test {

/**
 * The error of type `E` that `operation` throws, or none when it returns normally. An exception of
 * any other type passes through.
 */
template <typename E, typename F> std::optional<E> thrown(F&& operation)
{
    try {
        operation();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace quillora::test
