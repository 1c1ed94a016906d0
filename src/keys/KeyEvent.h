#pragma once

#include "keys/Key.h"
#include "keys/Modifier.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

#include <concepts>

namespace quillora {

/**
 * One key pressed with an ordered list of modifiers (possibly empty; duplicates are harmless).
 *
 * Serialised form: {"key":{"leftArrow":{}},"modifiers":[{"command":{}}]} — each key and modifier
 * is an object whose single member names the case and holds an empty object.
 */
struct KeyEvent
{
    Key key;
    QList<Modifier> modifiers;

    explicit KeyEvent(Key key);
    KeyEvent(Key key, QList<Modifier> modifiers);

    /** The modifiers as separate arguments: `KeyEvent(Key::v, Modifier::command)`. */
    template <typename... Modifiers>
    requires(sizeof...(Modifiers) > 0 && (std::convertible_to<Modifiers, Modifier> && ...))
        KeyEvent(Key key, Modifiers... modifiers)
        : KeyEvent(key, QList<Modifier>{Modifier(modifiers)...})
    {
    }

    bool operator==(const KeyEvent&) const = default;

    /** The union of the modifiers' event flags; 0 without modifiers. */
    [[nodiscard]] quint64 flags() const;

    /** The serialised form as a JSON object. */
    [[nodiscard]] QJsonObject toJson() const;

    /** The serialised form as compact JSON text. */
    [[nodiscard]] QByteArray encoded() const;

    /**
     * Reads the serialised form from a JSON object. Both "key" and "modifiers" are required.
     * Throws `KeyEventDecodingError`: keyNotFound for a missing member, valueNotFound for a null
     * one, typeMismatch for a value of the wrong type and "Invalid number of keys found, expected
     * one." for a key or modifier object that does not name exactly one known case.
     */
    [[nodiscard]] static KeyEvent fromJson(const QJsonObject& object);

    /**
     * Reads the serialised form from JSON text. Throws `KeyEventDecodingError`: dataCorrupted when
     * the text is not JSON, typeMismatch when it is not an object, and as `fromJson` otherwise.
     */
    [[nodiscard]] static KeyEvent decode(const QByteArray& json);
};

[[nodiscard]] size_t qHash(const KeyEvent& event, size_t seed = 0) noexcept;

} // namespace quillora

template <> struct std::hash<quillora::KeyEvent>
{
    size_t operator()(const quillora::KeyEvent& event) const noexcept { return quillora::qHash(event); }
};
