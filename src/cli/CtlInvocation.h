#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

/** The commands of the command-line companion. */
enum class CtlCommand {
    Help,
    Version,
    Polish,
    PresetsList,
    PresetsAdd,
    PresetsUpdate,
    PresetsDelete,
    PresetsMove,
    HistoryList,
    HistoryClear,
    Login,
    Logout,
    Demo,
};

/** The process exit codes. */
enum class CtlExitCode {
    Success = 0,
    Failure = 1,
    Usage = 2,
};

/** One parsed command line. */
struct CtlInvocation
{
    CtlCommand command = CtlCommand::Help;
    /** The command's own arguments, after the command words. */
    QStringList arguments;
    bool json = false;
    std::optional<QString> search;
    /** The backend origin given with --backend; it overrides QUILLORA_BACKEND_URL. */
    std::optional<QString> backend;
    std::optional<QString> accessToken;
    std::optional<QString> refreshToken;
};

/** Which of the output streams is a terminal, where received text must not carry control characters. */
struct CtlTerminals
{
    bool out = false;
    bool err = false;
};

} // namespace quillora
