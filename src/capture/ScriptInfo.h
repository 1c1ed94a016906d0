#pragma once

#include <QString>

#include <optional>

namespace quillora {

/** A script ready to run: its name for the log, its source, its time limit in seconds and a description. */
struct ScriptInfo
{
    QString name;
    QString script;
    double timeout = 0;
    std::optional<QString> description;

    bool operator==(const ScriptInfo&) const = default;
};

} // namespace quillora
