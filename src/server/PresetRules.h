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
 * The rules the service applies to presets: the four presets every new user starts with, and the
 * same validation the app runs before it sends a preset, so that the service refuses exactly what
 * the app would refuse, with the same message.
 */
class PresetRules final
{
public:
    /** "Professional", "Casual", "Fix Grammar", "Concise", in that order, with their instructions. */
    [[nodiscard]] static const QList<PresetText>& builtInPresets();

    /**
     * Nothing when the pair is acceptable, else the message to show: a name over 50 or an
     * instruction over 300 user-perceived characters, or a restricted term (from a fixed list,
     * the first of the list that occurs) in the lower-cased name and instruction.
     */
    [[nodiscard]] static std::optional<QString> validate(const QString& name, const QString& instruction);

    /** The number of user-perceived characters (extended grapheme clusters) in `text`. */
    [[nodiscard]] static qsizetype characterCount(const QString& text);
};

} // namespace quillora
