#pragma once

#include <QHashFunctions>
#include <QString>

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace quillora {

/**
 * A named key of the keyboard. Its raw value is the key's virtual key code, a position on an ANSI
 * keyboard numbered as the posted key events and stored shortcuts number it (0 is A, 9 is V);
 * backends map it onto their own keyboards (X keysyms, evdev codes). Its string value is
 * the text the key stands for.
 *
 * `Key` wraps an unscoped enumeration so that the cases read `Key::a`, `Key::leftArrow` while the
 * type still carries its lookups (`Key::fromString`, `Key::allCases`). Two case names are C++
 * keywords and carry a trailing underscore: `Key::return_` and `Key::delete_`; their serialised
 * names (see `caseName`) are "return" and "delete".
 */
class Key final
{
public:
    // clang-format off
    enum Value : int {
        a = 0, b = 11, c = 8, d = 2, e = 14, f = 3, g = 5, h = 4, i = 34, j = 38, k = 40, l = 37, m = 46,
        n = 45, o = 31, p = 35, q = 12, r = 15, s = 1, t = 17, u = 32, v = 9, w = 13, x = 7, y = 16, z = 6,
        zero = 29, one = 18, two = 19, three = 20, four = 21, five = 23, six = 22, seven = 26, eight = 28, nine = 25,
        minus = 27, equal = 24, leftBracket = 33, rightBracket = 30, backslash = 42, semicolon = 41, quote = 39,
        comma = 43, period = 47, slash = 44, grave = 50,
        keypadDecimal = 65, keypadMultiply = 67, keypadPlus = 69, keypadClear = 71, keypadDivide = 75,
        keypadEnter = 76, keypadMinus = 78, keypadEquals = 81,
        keypad0 = 82, keypad1 = 83, keypad2 = 84, keypad3 = 85, keypad4 = 86, keypad5 = 87, keypad6 = 88,
        keypad7 = 89, keypad8 = 91, keypad9 = 92,
        return_ = 36, tab = 48, space = 49, delete_ = 51, forwardDelete = 117, escape = 53,
        volumeUp = 72, volumeDown = 73, mute = 74,
        home = 115, end = 119, pageUp = 116, pageDown = 121,
        leftArrow = 123, rightArrow = 124, downArrow = 125, upArrow = 126,
        f1 = 122, f2 = 120, f3 = 99, f4 = 118, f5 = 96, f6 = 97, f7 = 98, f8 = 100, f9 = 101, f10 = 109,
        f11 = 103, f12 = 111, f13 = 105, f14 = 107, f15 = 113, f16 = 106, f17 = 64, f18 = 79, f19 = 80, f20 = 90,
        isoSection = 10, jisYen = 93, jisUnderscore = 94, jisKeypadComma = 95, jisEisu = 102, jisKana = 104,
    };
    // clang-format on

    static constexpr std::size_t caseCount = 108;

    constexpr Key(Value value)
        : m_value(value)
    {
    }

    /** The case itself: keys compare with == through it and can be switched on. */
    constexpr operator Value() const { return m_value; }

    /** The virtual key code. */
    [[nodiscard]] constexpr int rawValue() const { return m_value; }

    /** The text the key stands for, for example "a", "F5", "←" or a line feed. */
    [[nodiscard]] QString stringValue() const;

    /** Every key, in the order that the string lookup searches. */
    [[nodiscard]] static const std::array<Key, caseCount>& allCases();

    /**
     * The first key in `allCases` order whose string value equals `string`, both lower-cased; none
     * when no key matches. So "." gives `period` (not `keypadDecimal`) and "F5" or "f5" give `f5`.
     */
    [[nodiscard]] static std::optional<Key> fromString(const QString& string);

    /** The key with this virtual key code, or none. */
    [[nodiscard]] static std::optional<Key> fromRawValue(int rawValue);

    /** The key whose serialised case name (see `caseName`) is exactly `name`, or none. */
    [[nodiscard]] static std::optional<Key> fromCaseName(const QString& name);

private:
    Value m_value;
};

/** The key's case name in the serialised form: "leftArrow", "f5", "return", "delete". */
[[nodiscard]] QString caseName(Key key);

[[nodiscard]] inline size_t qHash(Key key, size_t seed = 0) noexcept
{
    return ::qHash(key.rawValue(), seed);
}

} // namespace quillora

template <> struct std::hash<quillora::Key>
{
    size_t operator()(quillora::Key key) const noexcept { return std::hash<int>()(key.rawValue()); }
};
