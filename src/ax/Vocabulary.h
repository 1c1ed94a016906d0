#pragma once

#include <QHash>
#include <QString>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace quillora {

/**
 * Raw values of a vocabulary enumeration whose cases are numbered 0, 1, 2, … in order. Each
 * vocabulary specializes it with `rawValues()`.
 */
template <typename E> struct VocabularyTraits;

/** The platform's name of a case, such as "AXFocusedUIElement". */
template <typename E> [[nodiscard]] QString rawValue(E value)
{
    return QString::fromLatin1(VocabularyTraits<E>::rawValues()[static_cast<std::size_t>(value)]);
}

/** The case whose raw value is exactly `raw` (case-sensitive), or none. */
template <typename E> [[nodiscard]] std::optional<E> fromRawValue(const QString& raw)
{
    static const QHash<QString, E> index = [] {
        QHash<QString, E> built;
        const auto raws = VocabularyTraits<E>::rawValues();
        for (std::size_t i = 0; i < raws.size(); ++i) {
            built.insert(QString::fromLatin1(raws[i]), static_cast<E>(i));
        }
        return built;
    }();
    const auto found = index.constFind(raw);
    return found == index.cend() ? std::nullopt : std::optional<E>(*found);
}

/** Every case, in declaration order. */
template <typename E> [[nodiscard]] std::vector<E> allCases()
{
    std::vector<E> cases;
    const std::size_t count = VocabularyTraits<E>::rawValues().size();
    for (std::size_t i = 0; i < count; ++i) {
        cases.push_back(static_cast<E>(i));
    }
    return cases;
}

} // namespace quillora
