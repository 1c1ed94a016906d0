#pragma once

#include "ax/AXError.h"
#include "platform/AXValue.h"

#include <cmath>
#include <optional>
#include <type_traits>
#include <vector>

namespace quillora {

class UIElement;

namespace detail {
template <typename T> struct IsVector : std::false_type
{
};
template <typename T> struct IsVector<std::vector<T>> : std::true_type
{
};
} // namespace detail

/**
 * Reads a value as a T, or none when it is not one. An element reference becomes a new
 * `UIElement`; a typed error value becomes an `AXError`; an integer reads as a floating number and
 * a floating number with no fraction as an integer; a list reads as a `std::vector` of any readable
 * type when every member does. Text, booleans, the typed values, lists, dictionaries and raw
 * references read only as themselves; `AXAny` takes anything.
 */
template <typename T> [[nodiscard]] std::optional<T> unpack(const AXAny& value)
{
    if constexpr (std::is_same_v<T, AXAny>) {
        return value;
    } else if constexpr (std::is_same_v<T, UIElement>) {
        const AXElementRef* ref = value.get<AXElementRef>();
        return ref != nullptr ? std::optional<T>(T(*ref)) : std::nullopt;
    } else if constexpr (std::is_same_v<T, AXError>) {
        const AXErrorValue* error = value.get<AXErrorValue>();
        return error != nullptr ? std::optional<T>(T(error->code)) : std::nullopt;
    } else if constexpr (std::is_same_v<T, bool>) {
        const bool* flag = value.get<bool>();
        return flag != nullptr ? std::optional<T>(*flag) : std::nullopt;
    } else if constexpr (std::is_integral_v<T>) {
        if (const qint64* integer = value.get<qint64>()) {
            return static_cast<T>(*integer);
        }
        const double* number = value.get<double>();
        if (number != nullptr && std::isfinite(*number) && std::trunc(*number) == *number) {
            return static_cast<T>(*number);
        }
        return std::nullopt;
    } else if constexpr (std::is_floating_point_v<T>) {
        if (const double* number = value.get<double>()) {
            return static_cast<T>(*number);
        }
        const qint64* integer = value.get<qint64>();
        return integer != nullptr ? std::optional<T>(static_cast<T>(*integer)) : std::nullopt;
    } else if constexpr (detail::IsVector<T>::value && !std::is_same_v<T, AXList>) {
        const AXList* list = value.get<AXList>();
        if (list == nullptr) {
            return std::nullopt;
        }
        T result;
        for (const AXAny& member : *list) {
            auto typed = unpack<typename T::value_type>(member);
            if (!typed) {
                return std::nullopt;
            }
            result.push_back(std::move(*typed));
        }
        return result;
    } else {
        const T* held = value.get<T>();
        return held != nullptr ? std::optional<T>(*held) : std::nullopt;
    }
}

} // namespace quillora
