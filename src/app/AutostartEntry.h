#pragma once

#include <QString>

#include <optional>

namespace quillora {

/**
 * "Start at login": the desktop entry that makes the session start the program, in the user's
 * XDG autostart folder ($XDG_CONFIG_HOME/autostart/com.tessel.quillora.desktop). The entry exists
 * only while the choice is on; turning it off removes the file.
 */
class AutostartEntry final
{
public:
    /** The entry in `folder` that starts `program` (an absolute path). */
    AutostartEntry(QString folder, QString program);

    /** The user's autostart folder: $XDG_CONFIG_HOME/autostart, else ~/.config/autostart. Never fails. */
    [[nodiscard]] static QString userFolder();

    /** The entry's file. */
    [[nodiscard]] QString filePath() const;

    /**
     * True when the entry's file exists and is not switched off by its own keys ("Hidden=true", or
     * "X-GNOME-Autostart-enabled=false" as some session settings write). Never fails.
     */
    [[nodiscard]] bool isEnabled() const;

    /**
     * Writes the entry (creating the folder) or removes it. Returns none on success, else a message
     * for the user naming the file and the reason; the file is then left as it was.
     */
    [[nodiscard]] std::optional<QString> setEnabled(bool enabled);

    /** The entry's text, with `program` quoted as the desktop entry format requires. */
    [[nodiscard]] QString contents() const;

private:
    QString m_folder;
    QString m_program;
};

} // namespace quillora
