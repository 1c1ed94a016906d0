#pragma once

#include <QHashFunctions>
#include <QString>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace quillora {

/**
 * A modifier key held while a key event is posted. Each case has a display string and the event
 * flag it sets; an event's flags are the union of its modifiers' flags.
 */
class Modifier final
{
public:
    enum Value : int { capsLock, command, control, function, help, numPad, option, shift };

    static constexpr std::size_t caseCount = 8;

    constexpr Modifier(Value value)
        : m_value(value)
    {
    }

    /** The case itself: modifiers compare with == through it and can be switched on. */
    constexpr operator Value() const { return m_value; }

    /** The display string, for example "⌘" for `command`. */
    [[nodiscard]] QString stringValue() const;

    /** The event flag this modifier sets, for example 0x100000 for `command`. */
    [[nodiscard]] quint64 eventFlag() const;

    /** Every modifier, in declaration order. */
    [[nodiscard]] static const std::array<Modifier, caseCount>& allCases();

    /** The modifier whose serialised case name is exactly `name`, or none. */
    [[nodiscard]] static std::optional<Modifier> fromCaseName(const QString& name);

private:
    Value m_value;
};

/** The modifier's case name in the serialised form, for example "command". */
[[nodiscard]] QString caseName(Modifier modifier);

[[nodiscard]] inline size_t qHash(Modifier modifier, size_t seed = 0) noexcept
{
    return ::qHash(int(Modifier::Value(modifier)), seed);
}

} // namespace quillora

template <> struct std::hash<quillora::Modifier>
{
    size_t operator()(quillora::Modifier modifier) const noexcept
    {
        return std::hash<int>()(quillora::Modifier::Value(modifier));
    }
};
