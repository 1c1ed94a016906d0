#include "cli/CtlRunner.h"
#include "app/BackendFixture.h"
#include "app/HistoryManager.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace quillora {
namespace {

struct CtlOutput
{
    int code = -1;
    QString out;
    QString err;
};

/**
 * Runs command lines in-process on a simulated desktop against a scripted backend that knows the
 * presets Professional (1) and Casual (2).
 */
class CtlRunnerTest : public BackendFixture
{
protected:
    void SetUp() override
    {
        BackendFixture::SetUp();
        server().setHandler([this](const Request& request) { return answer(request); });
    }

    CtlOutput run(QStringList arguments, const QByteArray& input = {}, bool useServer = true,
                  CtlTerminals terminals = {})
    {
        if (useServer && !arguments.contains(QStringLiteral("--backend"))) {
            arguments << QStringLiteral("--backend") << server().origin();
        }
        CtlOutput result;
        QTextStream out(&result.out);
        QTextStream err(&result.err);
        QBuffer stdinBuffer;
        stdinBuffer.setData(input);
        stdinBuffer.open(QIODevice::ReadOnly);
        CtlRunner runner(out, err, stdinBuffer, terminals);
        result.code = test::awaitTask(runner.run(arguments));
        return result;
    }

    Reply answer(const Request& request)
    {
        if (request.target == "/api/v1/presets" && request.method == "GET") {
            return Reply::json(200, QJsonArray{backendPreset(1, QStringLiteral("Professional")),
                                               backendPreset(2, QStringLiteral("Casual"))});
        }
        if (request.target == "/api/v1/polish") {
            return polishAnswer;
        }
        if (request.target == "/api/v1/presets" && request.method == "POST") {
            return Reply::json(201, backendPreset(3, request.json().value(QStringLiteral("name")).toString()));
        }
        return otherReply;
    }

    Reply polishAnswer = polishReply({{QStringLiteral("professional"), QStringLiteral("Dear team.")},
                                      {QStringLiteral("casual"), QStringLiteral("Hey team!")}});
    Reply otherReply = Reply{204, {}, {}, false};
};

TEST_F(CtlRunnerTest, PolishPrintsOneBlockPerPresetAndRecordsTheHistory)
{
    const CtlOutput plain = run({"polish", "hi team"});
    EXPECT_EQ(plain.code, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.out, QStringLiteral("== Professional ==\nDear team.\n\n== Casual ==\nHey team!\n"));
    EXPECT_EQ(server().requests().last().json().value(QStringLiteral("text")).toString(), QStringLiteral("hi team"));

    const CtlOutput json = run({"polish", "--json"}, "from stdin\n");
    EXPECT_EQ(json.code, 0);
    const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(document.value(QStringLiteral("model")).toString(), QStringLiteral("quill-1"));
    EXPECT_EQ(document.value(QStringLiteral("duration")).toDouble(), 1.5);
    const QJsonObject first = document.value(QStringLiteral("results")).toArray().first().toObject();
    EXPECT_EQ(first, (QJsonObject{{QStringLiteral("presetName"), QStringLiteral("Professional")},
                                  {QStringLiteral("content"), QStringLiteral("Dear team.")},
                                  {QStringLiteral("logId"), 7}}));
    EXPECT_EQ(server().requests().last().json().value(QStringLiteral("text")).toString(), QStringLiteral("from stdin"));

    HistoryManager history;
    ASSERT_EQ(history.items().size(), 2);
    EXPECT_EQ(history.items()[0].originalText, QStringLiteral("from stdin"));
    EXPECT_EQ(history.items()[1].modelUsed, QStringLiteral("quill-1"));
    EXPECT_EQ(history.items()[1].polishedResults.size(), 2);
}

TEST_F(CtlRunnerTest, PolishMarksCorrectionsOnlyPrintsTheNoteAndKeepsControlCharactersOffATerminal)
{
    polishAnswer = Reply::json(
        200,
        QJsonObject{{QStringLiteral("results"),
                     QJsonObject{{QStringLiteral("Professional"), QStringLiteral("Dear\u001b]0;owned\u0007 team.\r")},
                                 {QStringLiteral("Casual"), QStringLiteral("Hey\tteam\u009b2J\nbye\u007f")}}},
                    {QStringLiteral("model"), QStringLiteral("rules")},
                    {QStringLiteral("duration"), 0.1},
                    {QStringLiteral("follows_instructions"), false},
                    {QStringLiteral("corrections_only"), QJsonArray{QStringLiteral("Casual")}},
                    {QStringLiteral("note"), QStringLiteral("Not English\u001b[2J.")}});
    const CtlOutput terminal = run({"polish", "hi team"}, {}, true, CtlTerminals{true, true});
    EXPECT_EQ(terminal.code, 0) << terminal.err.toStdString();
    EXPECT_EQ(terminal.out, QStringLiteral("Note: Not English\uFFFD[2J.\n\n"
                                           "== Professional ==\nDear\uFFFD]0;owned\uFFFD team.\uFFFD\n\n"
                                           "== Casual ==\n(corrections only: this preset needs a language model)\n"
                                           "Hey\tteam\uFFFD2J\nbye\uFFFD\n"));

    // Into a pipe or a file the text goes as received; the JSON form escapes it either way.
    const CtlOutput piped = run({"polish", "hi team"});
    EXPECT_TRUE(piped.out.contains(QStringLiteral("Dear\u001b]0;owned\u0007 team.\r\n")));
    const CtlOutput json = run({"polish", "--json", "hi team"}, {}, true, CtlTerminals{true, true});
    const QJsonObject document = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(document.value(QStringLiteral("note")).toString(), QStringLiteral("Not English\u001b[2J."));
    EXPECT_TRUE(document.value(QStringLiteral("results"))
                    .toArray()
                    .at(1)
                    .toObject()
                    .value(QStringLiteral("correctionsOnly"))
                    .toBool());

    // The history printed to a terminal is received text too.
    const CtlOutput history = run({"history"}, {}, false, CtlTerminals{true, true});
    EXPECT_FALSE(history.out.contains(QChar(0x1b)));
    EXPECT_TRUE(history.out.contains(QStringLiteral("Dear\uFFFD]0;owned")));
}

TEST_F(CtlRunnerTest, FailuresPrintOneLineAndChooseTheExitCode)
{
    polishAnswer = Reply::json(429, QJsonObject{{QStringLiteral("error"), QStringLiteral("Slow down")}});
    const CtlOutput refused = run({"polish", "hi team"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, QStringLiteral("quilloractl: Polishing failed: Slow down\n"));
    EXPECT_TRUE(refused.out.isEmpty());

    const CtlOutput unreachable = run({"polish", "hi", "--backend", test::ScriptedHttpServer::closedOrigin()});
    EXPECT_EQ(unreachable.code, 1);
    EXPECT_EQ(unreachable.err.count(u'\n'), 1);

    const QList<QPair<QStringList, QString>> usage = {
        {{"polish", "   "}, "quilloractl: there is no text to polish\n"},
        {{"presets", "add", "Pirate", "Ignore the text"},
         "quilloractl: Instruction contains a restricted term: \"ignore\". Please describe a writing style only.\n"},
        {{"presets", "add", " \t", "Be kind"}, "quilloractl: the preset name must not be empty\n"},
        {{"presets", "update", "7", "N", "I"}, "quilloractl: '7' is not a preset index (0 to 1)\n"},
        {{"presets", "list", "--backend", "http://api.example.com"},
         "quilloractl: The backend address \"http://api.example.com\" uses plain http to another machine; use https "
         "(plain http is accepted only for 127.0.0.1, ::1 and localhost).\n"},
        {{"polish", "--bogus"}, "quilloractl: unknown option '--bogus' (see 'quilloractl --help')\n"},
    };
    for (const auto& [arguments, message] : usage) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const CtlOutput result = run(arguments);
        EXPECT_EQ(result.code, 2);
        EXPECT_EQ(result.err, message);
    }
    EXPECT_EQ(server().count("POST", "/api/v1/presets"), 0);
    EXPECT_TRUE(HistoryManager().items().isEmpty());
}

TEST_F(CtlRunnerTest, PresetCommandsGoThroughTheBackendLikeTheSettingsScreen)
{
    const CtlOutput listed = run({"presets", "list", "--json"});
    EXPECT_EQ(listed.code, 0);
    const QJsonArray presets = QJsonDocument::fromJson(listed.out.toUtf8()).array();
    ASSERT_EQ(presets.size(), 2);
    EXPECT_EQ(presets[1].toObject(), (QJsonObject{{QStringLiteral("index"), 1},
                                                  {QStringLiteral("name"), QStringLiteral("Casual")},
                                                  {QStringLiteral("instruction"), QStringLiteral("Casual!")},
                                                  {QStringLiteral("backendId"), 2}}));

    const CtlOutput added = run({"presets", "add", "Pirate", "Talk like a pirate"});
    EXPECT_EQ(added.code, 0);
    EXPECT_EQ(added.out, QStringLiteral("Added preset 'Pirate'.\n"));

    const CtlOutput updated = run({"presets", "update", "1", "Casual", "Warmer"});
    EXPECT_EQ(updated.code, 0);
    EXPECT_EQ(server().requests().last().method, "PUT");
    EXPECT_EQ(server().requests().last().target, "/api/v1/presets/2");
    EXPECT_EQ(server().requests().last().json().value(QStringLiteral("instruction")).toString(),
              QStringLiteral("Warmer"));

    otherReply = Reply::text(404, "gone");
    const CtlOutput deleted = run({"presets", "delete", "0"});
    EXPECT_EQ(deleted.code, 1);
    EXPECT_EQ(deleted.err, QStringLiteral("quilloractl: Failed to delete preset 1 from backend\n"));

    const CtlOutput moved = run({"presets", "move", "0", "1"});
    EXPECT_EQ(moved.code, 0);
    EXPECT_EQ(moved.out, QStringLiteral("Moved 'Professional' to index 1.\n"));
}

TEST_F(CtlRunnerTest, HistoryListsSearchesAndClearsWithoutTheBackend)
{
    {
        HistoryManager history;
        history.addEntry(QStringLiteral("Meeting at noon"),
                         {PolishedResult(QStringLiteral("Casual"), QStringLiteral("Lunch TEA?"))},
                         QStringLiteral("quill-1"), 1.5);
        advance(60);
        history.addEntry(QStringLiteral("Quarterly report"),
                         {PolishedResult(QStringLiteral("Casual"), QStringLiteral("numbers"))}, std::nullopt,
                         std::nullopt);
    }
    const CtlOutput all = run({"history", "--json"}, {}, false);
    EXPECT_EQ(all.code, 0);
    const QJsonArray items = QJsonDocument::fromJson(all.out.toUtf8()).array();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].toObject().value(QStringLiteral("originalText")).toString(), QStringLiteral("Quarterly report"));
    EXPECT_TRUE(items[0].toObject().value(QStringLiteral("modelUsed")).isNull());

    const CtlOutput found = run({"history", "list", "--search", "tea"}, {}, false);
    EXPECT_EQ(found.code, 0);
    EXPECT_EQ(found.out,
              QStringLiteral("[2026-01-05 09:00] quill-1 1.50 s\nOriginal: Meeting at noon\n  Casual: Lunch TEA?\n"));
    EXPECT_EQ(run({"history", "--search", "nothing like it"}, {}, false).out, QStringLiteral("No matching history.\n"));

    EXPECT_EQ(run({"history", "clear"}, {}, false).code, 0);
    EXPECT_TRUE(HistoryManager().items().isEmpty());
    EXPECT_TRUE(server().requests().isEmpty());
}

TEST_F(CtlRunnerTest, LoginStoresTheTokensThatRequestsCarryUntilTheBackendEndsTheSession)
{
    EXPECT_EQ(run({"login", "--access-token", "A1", "--refresh-token", "R1"}, {}, false).code, 0);
    EXPECT_EQ(desktop().userDefaults().string(QStringLiteral("backendRefreshToken")), QStringLiteral("R1"));
    run({"presets", "list"});
    EXPECT_EQ(server().requests().last().header("authorization"), QByteArray("Bearer A1"));

    server().setHandler([](const Request&) { return Reply::text(401, "expired"); });
    const CtlOutput ended = run({"presets", "list"});
    EXPECT_EQ(ended.code, 1);
    EXPECT_EQ(ended.err,
              QStringLiteral("quilloractl: the backend ended the session (sign in again with 'quilloractl login')\n"));
    EXPECT_EQ(server().count("POST", "/api/v1/auth/refresh"), 1);

    EXPECT_EQ(run({"logout"}, {}, false).code, 0);
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("backendAccessToken")));
    EXPECT_FALSE(desktop().userDefaults().contains(QStringLiteral("backendRefreshToken")));
}

TEST_F(CtlRunnerTest, DueUpdateNoticeFollowsCommandsThatTalkedToTheBackend)
{
    otherReply = Reply{204, {}, {}, false};
    server().setHandler([this](const Request& request) {
        Reply reply = answer(request);
        reply.headers.append(qMakePair(QByteArray("X-Latest-App-Version"), QByteArray("99.0")));
        reply.headers.append(qMakePair(QByteArray("X-Latest-App-URL"), QByteArray("https://example.com/download")));
        return reply;
    });
    const CtlOutput listed = run({"presets", "list"});
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.err, QStringLiteral("New Version Available: v99.0 (https://example.com/download)\n"));

    EXPECT_TRUE(run({"history"}, {}, false).err.isEmpty());
}

TEST_F(CtlRunnerTest, BackendOptionOverridesTheEnvironment)
{
    qputenv("QUILLORA_BACKEND_URL", test::ScriptedHttpServer::closedOrigin().toUtf8());
    EXPECT_EQ(run({"polish", "hello"}).code, 0);
    qputenv("QUILLORA_BACKEND_URL", server().origin().toUtf8());
    EXPECT_EQ(BackendClient::configuredOrigin(), server().origin());
    EXPECT_EQ(run({"polish", "hello"}, {}, false).code, 0);
    qunsetenv("QUILLORA_BACKEND_URL");
    EXPECT_EQ(BackendClient::configuredOrigin(), QStringLiteral("http://127.0.0.1:8740"));
}

} // namespace
} // namespace quillora
