#pragma once

#include "platform/UserDefaults.h"

#include <QSettings>

#include <memory>

namespace quillora {

/**
 * User defaults in a settings file under $XDG_CONFIG_HOME ("com.tessel.quillora/defaults.json").
 * The file keeps each value's type, is readable by its owner only (it holds session tokens), and
 * is written after every change.
 */
class LinuxUserDefaults final : public UserDefaults
{
public:
    /** Uses the file at `filePath`; an empty path means the standard location. */
    explicit LinuxUserDefaults(const QString& filePath = QString());
    ~LinuxUserDefaults() override;

    [[nodiscard]] QVariant object(const QString& key) const override;
    bool set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void removeDomain() override;

    [[nodiscard]] QString filePath() const;

    /** The standard file: $XDG_CONFIG_HOME/com.tessel.quillora/defaults.json. */
    [[nodiscard]] static QString standardFilePath();

private:
    void flush();

    std::unique_ptr<QSettings> m_settings;
};

} // namespace quillora
