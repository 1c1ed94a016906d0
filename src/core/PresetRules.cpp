#include "core/PresetRules.h"

#include "core/Graphemes.h"

#include <array>

namespace quillora {

namespace {

// Checked in this order; the message names the first term of the list that occurs.
constexpr std::array<const char*, 9> kRestrictedTerms = {
    "ignore",    "forget",           "you are now", "act as",    "system prompt",
    "disregard", "new instructions", "override",    "jailbreak",
};

} // namespace

const QList<PresetText>& PresetRules::builtInPresets()
{
    static const QList<PresetText> presets = {
        {QStringLiteral("Professional"),
         QStringLiteral("Rewrite to sound professional, polished, and clear for a workplace setting. Maintain "
                        "original meaning but improve vocabulary and structure.")},
        {QStringLiteral("Casual"),
         QStringLiteral("Rewrite to sound casual, warm, and natural for a conversation between friends.")},
        {QStringLiteral("Fix Grammar"),
         QStringLiteral("Fix any grammar, spelling, or punctuation errors. Do not change tone or style unless "
                        "necessary for correctness.")},
        {QStringLiteral("Concise"),
         QStringLiteral("Shorten the text to be as concise as possible while keeping all essential information.")},
    };
    return presets;
}

std::optional<QString> PresetRules::validate(const QString& name, const QString& instruction)
{
    if (Graphemes::exceeds(name, maximumNameLength)) {
        return QStringLiteral("Preset name must be 50 characters or fewer.");
    }
    if (Graphemes::exceeds(instruction, maximumInstructionLength)) {
        return QStringLiteral("Instruction must be 300 characters or fewer.");
    }
    const QString combined = (name + QLatin1Char(' ') + instruction).toLower();
    for (const char* term : kRestrictedTerms) {
        if (combined.contains(QLatin1String(term))) {
            return QStringLiteral(
                       "Instruction contains a restricted term: \"%1\". Please describe a writing style only.")
                .arg(QLatin1String(term));
        }
    }
    return std::nullopt;
}

} // namespace quillora
