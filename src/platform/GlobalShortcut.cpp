#include "platform/GlobalShortcut.h"

#include <QHash>
#include <QStringList>

namespace quillora {

std::optional<ShortcutKeys> ShortcutKeys::parse(const QString& combination)
{
    // Qt's portable text of one combination: modifiers and a key joined by "+"; a sequence of
    // several combinations (separated by ", ") is not one shortcut.
    const QStringList parts = combination.split(QLatin1Char('+'));
    if (combination.contains(QLatin1Char(',')) || parts.size() < 1 || parts.last().isEmpty()) {
        return std::nullopt;
    }
    static const QHash<QString, Qt::KeyboardModifier> modifierNames{
        {QStringLiteral("Ctrl"), Qt::ControlModifier},
        {QStringLiteral("Alt"), Qt::AltModifier},
        {QStringLiteral("Shift"), Qt::ShiftModifier},
        {QStringLiteral("Meta"), Qt::MetaModifier},
    };
    ShortcutKeys keys;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const auto modifier = modifierNames.constFind(parts.at(i));
        if (modifier == modifierNames.constEnd()) {
            return std::nullopt;
        }
        keys.modifiers |= *modifier;
    }
    // Where Qt's portable key name differs from the X keysym name that desktops use.
    static const QHash<QString, QString> xNames{
        {QStringLiteral("Space"), QStringLiteral("space")}, {QStringLiteral("Esc"), QStringLiteral("Escape")},
        {QStringLiteral("Ins"), QStringLiteral("Insert")},  {QStringLiteral("Del"), QStringLiteral("Delete")},
        {QStringLiteral("PgUp"), QStringLiteral("Prior")},  {QStringLiteral("PgDown"), QStringLiteral("Next")},
    };
    const QString key = parts.last();
    keys.keyName = key.size() == 1 && key.at(0).isLetter() ? key.toLower() : xNames.value(key, key);
    return keys;
}

} // namespace quillora
