#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillora {

/** A preset's name and instruction, without identity. */
struct PresetText
{
    QString name;
    QString instruction;
};

/**
 * The one source of the preset rules that the app and the service share: the four presets every
 * new user starts with, and the validation the app runs before it sends a preset and the service
 * runs before it stores one, so that both refuse exactly the same pairs with the same message.
 */
class PresetRules final
{
public:
    /** The most user-perceived characters a name may have. */
    static constexpr qsizetype maximumNameLength = 50;
    /** The most user-perceived characters an instruction may have. */
    static constexpr qsizetype maximumInstructionLength = 300;

    /** "Professional", "Casual", "Fix Grammar", "Concise", in that order, with their instructions. */
    [[nodiscard]] static const QList<PresetText>& builtInPresets();

    /**
     * Nothing when the pair is acceptable, else the message to show: a name over 50 or an
     * instruction over 300 user-perceived characters, or a restricted term (from a fixed list,
     * the first of the list that occurs) in the lower-cased name and instruction.
     */
    [[nodiscard]] static std::optional<QString> validate(const QString& name, const QString& instruction);
};

} // namespace quillora
