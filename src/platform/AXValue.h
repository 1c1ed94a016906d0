#pragma once

#include "platform/AXElementRef.h"
#include "platform/AXResult.h"

#include <QString>

#include <concepts>
#include <map>
#include <optional>
#include <variant>
#include <vector>

namespace quillora {

/** A screen point, in screen points (origin bottom-left of the primary screen, y up). */
struct AXPoint
{
    double x = 0;
    double y = 0;
    bool operator==(const AXPoint&) const = default;
};

struct AXSize
{
    double width = 0;
    double height = 0;
    bool operator==(const AXSize&) const = default;
};

/** A rectangle whose origin is its bottom-left corner. */
struct AXRect
{
    AXPoint origin;
    AXSize size;
    bool operator==(const AXRect&) const = default;

    /** True when `point` lies inside; the left and bottom edges belong to the rectangle. */
    [[nodiscard]] bool contains(AXPoint point) const
    {
        return point.x >= origin.x && point.x < origin.x + size.width && point.y >= origin.y &&
               point.y < origin.y + size.height;
    }
};

/** A character range. */
struct AXRange
{
    qint64 location = 0;
    qint64 length = 0;
    bool operator==(const AXRange&) const = default;
};

/** An error code boxed as a value, as the platform puts it in place of a value it cannot read. */
struct AXErrorValue
{
    AXResult code = AXResult::Success;
    bool operator==(const AXErrorValue&) const = default;
};

/** The null placeholder: a position that carries no value at all. */
struct AXNull
{
    bool operator==(const AXNull&) const = default;
};

/** Type codes of the platform's typed values. */
enum class AXValueType { Illegal = 0, CGPoint = 1, CGSize = 2, CGRect = 3, CFRange = 4, AXError = 5 };

class AXAny;
using AXList = std::vector<AXAny>;
using AXDictionary = std::map<QString, AXAny>;

/**
 * Any value that crosses the accessibility boundary: text, number (integer or floating),
 * boolean, list, dictionary, element, a typed point, size, rectangle, range or error, or null.
 */
class AXAny
{
public:
    using Storage = std::variant<AXNull, QString, bool, qint64, double, AXList, AXDictionary, AXElementRef, AXPoint,
                                 AXSize, AXRect, AXRange, AXErrorValue>;

    AXAny() = default;
    AXAny(AXNull) {}
    AXAny(const char* text)
        : m_storage(QString::fromUtf8(text))
    {
    }
    AXAny(QString text)
        : m_storage(std::move(text))
    {
    }
    AXAny(bool value)
        : m_storage(value)
    {
    }
    template <std::integral T>
    requires(!std::same_as<T, bool>) AXAny(T value)
        : m_storage(static_cast<qint64>(value))
    {
    }
    template <std::floating_point T>
    AXAny(T value)
        : m_storage(static_cast<double>(value))
    {
    }
    AXAny(AXList list)
        : m_storage(std::move(list))
    {
    }
    AXAny(AXDictionary dictionary)
        : m_storage(std::move(dictionary))
    {
    }
    AXAny(AXElementRef element)
        : m_storage(std::move(element))
    {
    }
    AXAny(AXPoint value)
        : m_storage(value)
    {
    }
    AXAny(AXSize value)
        : m_storage(value)
    {
    }
    AXAny(AXRect value)
        : m_storage(value)
    {
    }
    AXAny(AXRange value)
        : m_storage(value)
    {
    }
    AXAny(AXErrorValue value)
        : m_storage(value)
    {
    }

    [[nodiscard]] const Storage& storage() const { return m_storage; }

    /** The held alternative of type T, or null. */
    template <typename T> [[nodiscard]] const T* get() const { return std::get_if<T>(&m_storage); }

    template <typename T> [[nodiscard]] bool holds() const { return std::holds_alternative<T>(m_storage); }

    [[nodiscard]] bool isNull() const { return holds<AXNull>(); }

    /** The platform type code when this is a typed value (point, size, rectangle, range, error). */
    [[nodiscard]] std::optional<AXValueType> valueType() const
    {
        if (holds<AXPoint>()) {
            return AXValueType::CGPoint;
        }
        if (holds<AXSize>()) {
            return AXValueType::CGSize;
        }
        if (holds<AXRect>()) {
            return AXValueType::CGRect;
        }
        if (holds<AXRange>()) {
            return AXValueType::CFRange;
        }
        if (holds<AXErrorValue>()) {
            return AXValueType::AXError;
        }
        return std::nullopt;
    }

    bool operator==(const AXAny&) const = default;

private:
    Storage m_storage;
};

} // namespace quillora
