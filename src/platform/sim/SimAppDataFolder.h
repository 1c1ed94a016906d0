#pragma once

#include "platform/AppDataFolder.h"

namespace quillora {

/** An app-data folder at a path chosen by the simulated desktop (a temporary folder). */
class SimAppDataFolder final : public AppDataFolder
{
public:
    explicit SimAppDataFolder(QString path)
        : m_path(std::move(path))
    {
    }

    [[nodiscard]] QString path() const override { return m_path; }
    void setPath(QString path) { m_path = std::move(path); }

private:
    QString m_path;
};

} // namespace quillora
