#include "capture/TextStrategy.h"

namespace quillora {

QString description(TextStrategy strategy)
{
    switch (strategy) {
    case TextStrategy::auto_:
        return QStringLiteral("Auto");
    case TextStrategy::accessibility:
        return QStringLiteral("Accessibility");
    case TextStrategy::appleScript:
        return QStringLiteral("AppleScript");
    case TextStrategy::menuAction:
        return QStringLiteral("Menu Action");
    case TextStrategy::shortcut:
        return QStringLiteral("Keyboard Shortcut");
    }
    return {};
}

const QList<TextStrategy>& allTextStrategies()
{
    static const QList<TextStrategy> cases{TextStrategy::auto_, TextStrategy::accessibility, TextStrategy::appleScript,
                                           TextStrategy::menuAction, TextStrategy::shortcut};
    return cases;
}

std::optional<TextStrategy> textStrategyFromRaw(int rawValue)
{
    if (rawValue < 0 || rawValue >= allTextStrategies().size()) {
        return std::nullopt;
    }
    return static_cast<TextStrategy>(rawValue);
}

} // namespace quillora
