#include "cli/CtlCommandLine.h"

#include "cli/CtlUsageError.h"

#include <QHash>

namespace quillora {

namespace {

struct CommandShape
{
    CtlCommand command;
    qsizetype minimumArguments;
    qsizetype maximumArguments;
    QStringList options;
};

const QString kJson = QStringLiteral("--json");
const QString kSearch = QStringLiteral("--search");
const QString kBackend = QStringLiteral("--backend");
const QString kAccessToken = QStringLiteral("--access-token");
const QString kRefreshToken = QStringLiteral("--refresh-token");

// The command words, and what each command takes besides --backend, which every command accepts.
const QHash<QString, CommandShape>& shapes()
{
    static const QHash<QString, CommandShape> table = {
        {QStringLiteral("polish"), {CtlCommand::Polish, 0, 1, {kJson}}},
        {QStringLiteral("presets list"), {CtlCommand::PresetsList, 0, 0, {kJson}}},
        {QStringLiteral("presets add"), {CtlCommand::PresetsAdd, 2, 2, {}}},
        {QStringLiteral("presets update"), {CtlCommand::PresetsUpdate, 3, 3, {}}},
        {QStringLiteral("presets delete"), {CtlCommand::PresetsDelete, 1, -1, {}}},
        {QStringLiteral("presets move"), {CtlCommand::PresetsMove, 2, 2, {}}},
        {QStringLiteral("history"), {CtlCommand::HistoryList, 0, 0, {kJson, kSearch}}},
        {QStringLiteral("history list"), {CtlCommand::HistoryList, 0, 0, {kJson, kSearch}}},
        {QStringLiteral("history clear"), {CtlCommand::HistoryClear, 0, 0, {}}},
        {QStringLiteral("login"), {CtlCommand::Login, 0, 0, {kAccessToken, kRefreshToken}}},
        {QStringLiteral("logout"), {CtlCommand::Logout, 0, 0, {}}},
        {QStringLiteral("help"), {CtlCommand::Help, 0, 0, {}}},
        {QStringLiteral("demo"), {CtlCommand::Demo, 0, 1, {}}},
    };
    return table;
}

bool takesValue(const QString& option)
{
    return option == kSearch || option == kBackend || option == kAccessToken || option == kRefreshToken;
}

} // namespace

CtlInvocation CtlCommandLine::parse(const QStringList& arguments)
{
    QStringList words;
    QHash<QString, QString> options;
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || argument == u'-' || !argument.startsWith(u'-')) {
            words.append(argument);
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else {
            const qsizetype equals = argument.indexOf(u'=');
            const QString name = equals < 0 ? argument : argument.left(equals);
            if (name != kJson && !takesValue(name)) {
                throw CtlUsageError(QStringLiteral("unknown option '%1'").arg(name));
            }
            if (name == kJson) {
                if (equals >= 0) {
                    throw CtlUsageError(QStringLiteral("option '--json' takes no value"));
                }
                options.insert(name, QString());
            } else if (equals >= 0) {
                options.insert(name, argument.mid(equals + 1));
            } else if (i + 1 < arguments.size()) {
                options.insert(name, arguments[++i]);
            } else {
                throw CtlUsageError(QStringLiteral("option '%1' needs a value").arg(name));
            }
        }
    }

    CtlInvocation invocation;
    if (help) {
        return invocation;
    }
    if (version) {
        invocation.command = CtlCommand::Version;
        return invocation;
    }
    if (words.isEmpty()) {
        throw CtlUsageError(QStringLiteral("no command given"));
    }

    // Commands of two words ("presets add") are looked up before those of one ("history").
    QString key = words.size() >= 2 ? words[0] + u' ' + words[1] : QString();
    qsizetype consumed = 2;
    if (!shapes().contains(key)) {
        key = words[0];
        consumed = 1;
    }
    if (!shapes().contains(key) || key == QLatin1String("presets")) {
        if (words[0] == QLatin1String("presets")) {
            throw CtlUsageError(words.size() < 2
                                    ? QStringLiteral("'presets' needs one of: list, add, update, delete, move")
                                    : QStringLiteral("unknown presets command '%1'").arg(words[1]));
        }
        throw CtlUsageError(QStringLiteral("unknown command '%1'").arg(words[0]));
    }
    if (key == QLatin1String("history") && words.size() >= 2) {
        throw CtlUsageError(QStringLiteral("unknown history command '%1'").arg(words[1]));
    }
    const CommandShape& shape = shapes()[key];
    invocation.command = shape.command;
    invocation.arguments = words.mid(consumed);
    const qsizetype count = invocation.arguments.size();
    if (count < shape.minimumArguments || (shape.maximumArguments >= 0 && count > shape.maximumArguments)) {
        throw CtlUsageError(
            count < shape.minimumArguments
                ? QStringLiteral("'%1' needs more arguments").arg(key)
                : QStringLiteral("'%1' takes fewer arguments (quote text that contains spaces)").arg(key));
    }
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        if (it.key() != kBackend && !shape.options.contains(it.key())) {
            throw CtlUsageError(QStringLiteral("'%1' does not take the option '%2'").arg(key, it.key()));
        }
    }

    invocation.json = options.contains(kJson);
    invocation.search = options.contains(kSearch) ? std::optional<QString>(options.value(kSearch)) : std::nullopt;
    invocation.backend = options.contains(kBackend) ? std::optional<QString>(options.value(kBackend)) : std::nullopt;
    if (invocation.command == CtlCommand::Login) {
        if (options.value(kAccessToken).isEmpty() || options.value(kRefreshToken).isEmpty()) {
            throw CtlUsageError(QStringLiteral("'login' needs --access-token and --refresh-token"));
        }
        invocation.accessToken = options.value(kAccessToken);
        invocation.refreshToken = options.value(kRefreshToken);
    }
    return invocation;
}

QString CtlCommandLine::usage()
{
    return QStringLiteral(
        "Usage: quilloractl COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  polish [TEXT] [--json]             Polish TEXT (standard input when absent or \"-\") with every\n"
        "                                     preset, print the variations and add them to the history.\n"
        "  presets list [--json]              List the presets with their indices (from 0).\n"
        "  presets add NAME INSTRUCTION       Create a preset on the backend.\n"
        "  presets update INDEX NAME INSTRUCTION\n"
        "                                     Change the preset at INDEX on the backend.\n"
        "  presets delete INDEX...            Delete the presets at these indices.\n"
        "  presets move FROM TO               Move the preset at FROM to index TO. The order is kept on\n"
        "                                     this device only, until the backend's list is loaded again.\n"
        "  history [list] [--search TEXT] [--json]\n"
        "                                     List past polishings, newest first; --search keeps those whose\n"
        "                                     original or a variation contains TEXT (any letter case).\n"
        "  history clear                      Delete the whole history.\n"
        "  login --access-token A --refresh-token R\n"
        "                                     Store the session tokens of a sign-in.\n"
        "  logout                             Remove the stored session tokens.\n"
        "  demo [TEXT]                        Play the whole polishing loop on a simulated desktop against\n"
        "                                     the backend, step by step (TEXT is the selection).\n"
        "\n"
        "Options:\n"
        "  --backend URL    The backend's origin (overrides QUILLORA_BACKEND_URL; default\n"
        "                   http://127.0.0.1:8740). Plain http is accepted only for this machine.\n"
        "  --json           Print machine-readable JSON.\n"
        "  -h, --help       Print this help.\n"
        "  --version        Print the version.\n"
        "\n"
        "Exit status: 0 success, 1 failure, 2 bad usage or invalid input.\n");
}

} // namespace quillora
