#include "PolishingFixture.h"

#include "core/JsonDecodingError.h"
#include "platform/UserDefaults.h"

#include <QJsonArray>

namespace quillora {
namespace {

using AIPolishingServiceTest = PolishingFixture;

TEST_F(AIPolishingServiceTest, ResultsFollowThePresetOrderMatchNamesWithoutCaseAndMissingOnesGetThePlaceholder)
{
    const QList<QPair<QJsonValue, std::optional<qint64>>> logIds = {{QJsonValue(7), 7},
                                                                    {QJsonValue(QJsonValue::Null), std::nullopt},
                                                                    {QJsonValue(QJsonValue::Undefined), std::nullopt}};
    for (const auto& [logId, expected] : logIds) {
        QJsonObject body{{QStringLiteral("results"), QJsonObject{{QStringLiteral("casual"), QStringLiteral("hey all")},
                                                                 {QStringLiteral("Pirate"), QStringLiteral("ahoy")}}},
                         {QStringLiteral("model"), QStringLiteral("quill-1")},
                         {QStringLiteral("duration"), 1.5}};
        if (!logId.isUndefined()) {
            body.insert(QStringLiteral("log_id"), logId);
        }
        answerPolish(Reply::json(200, body));

        const PolishingOutcome outcome = test::awaitTask(service().polishAll(QStringLiteral("hello team")));

        ASSERT_EQ(outcome.results.size(), 2);
        EXPECT_EQ(outcome.results[0].presetName, QStringLiteral("Professional"));
        EXPECT_EQ(outcome.results[0].content, QStringLiteral("Error: Variation missing from AI response."));
        EXPECT_EQ(outcome.results[1].presetName, QStringLiteral("Casual"));
        EXPECT_EQ(outcome.results[1].content, QStringLiteral("hey all"));
        EXPECT_EQ(outcome.results[0].logId, expected);
        EXPECT_EQ(outcome.results[1].logId, expected);
        EXPECT_EQ(outcome.model, QStringLiteral("quill-1"));
        EXPECT_DOUBLE_EQ(outcome.duration, 1.5);
    }
    EXPECT_EQ(server().requests().last().body, QByteArray(R"({"text":"hello team"})"));
}

TEST_F(AIPolishingServiceTest, OverlongVariationFailsLikeAMissingOneAndTheEngineMarksReachResultsAndDefaults)
{
    const QString text = QStringLiteral("hello team");
    const qsizetype bound = 4 * text.size() + 2000;
    // Counted in characters: a bound's worth of characters outside the basic plane still fits.
    const QString wide = QString(bound, QChar(0xd83d)).replace(QChar(0xd83d), QStringLiteral("\U0001F600"));
    answerPolish(Reply::json(
        200,
        QJsonObject{{QStringLiteral("results"), QJsonObject{{QStringLiteral("Professional"), QString(bound + 1, u'x')},
                                                            {QStringLiteral("Casual"), wide}}},
                    {QStringLiteral("model"), QStringLiteral("rules")},
                    {QStringLiteral("duration"), 0.2},
                    {QStringLiteral("follows_instructions"), false},
                    {QStringLiteral("corrections_only"), QJsonArray{QStringLiteral("casual")}},
                    {QStringLiteral("note"), QStringLiteral("Left unchanged.")}}));
    const PolishingOutcome outcome = test::awaitTask(service().polishAll(text));
    ASSERT_EQ(outcome.results.size(), 2);
    EXPECT_EQ(outcome.results[0].content, QStringLiteral("Error: Variation missing from AI response."));
    EXPECT_EQ(outcome.results[1].content, wide);
    EXPECT_FALSE(outcome.results[0].correctionsOnly);
    EXPECT_TRUE(outcome.results[1].correctionsOnly);
    EXPECT_EQ(outcome.results[1].note, QStringLiteral("Left unchanged."));
    const QString key = QLatin1String(AIPolishingService::followsInstructionsKey);
    EXPECT_TRUE(desktop().userDefaults().contains(key));
    EXPECT_FALSE(desktop().userDefaults().boolValue(key));

    // The marks survive the history's round trip; an older service's answer clears the engine flag.
    const PolishedResult decoded = PolishedResult::fromJson(outcome.results[1].toJson());
    EXPECT_EQ(decoded, outcome.results[1]);
    answerPolish(polishReply({{QStringLiteral("Casual"), QStringLiteral("hey")}}));
    test::awaitTask(service().polishAll(text));
    EXPECT_TRUE(desktop().userDefaults().boolValue(key));
}

TEST_F(AIPolishingServiceTest, FailedPolishingCarriesStatusAndBackendErrorText)
{
    struct Case
    {
        const char* name;
        Reply reply;
        qint64 code;
        std::optional<QString> backendError;
    };
    const QList<Case> cases = {
        {"429 with an error body",
         Reply::json(429, QJsonObject{{QStringLiteral("error"), QStringLiteral("Slow down")}}), 429,
         QStringLiteral("Slow down")},
        {"500 with plain text", Reply::text(500, "upstream down"), 500, std::nullopt},
        {"502 with bytes that are not text", Reply{502, "\xff\xfe", {}, false}, 502, std::nullopt},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        answerPolish(testCase.reply);
        const ErrorPtr error = failureOf(service().polishAll(QStringLiteral("text")));
        ASSERT_TRUE(error);
        const ErrorRecord record = error->toRecord();
        EXPECT_EQ(record.domain(), QStringLiteral("AIPolishingService"));
        EXPECT_EQ(record.code(), testCase.code);
        EXPECT_EQ(error->localizedDescription(), QStringLiteral("Polishing failed"));
        EXPECT_EQ(record.userInfo().contains(QStringLiteral("backendError")), testCase.backendError.has_value());
        if (testCase.backendError) {
            EXPECT_EQ(record.userInfo().value(QStringLiteral("backendError")).toString(), *testCase.backendError);
        }
    }
}

TEST_F(AIPolishingServiceTest, UndecodableSuccessBodyFailsWithTheDecoderErrorAndOneWithoutPresetsIsNoSuccess)
{
    answerPolish(polishReply({}));
    const ErrorPtr empty = failureOf(service().polishAll(QStringLiteral("text")));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->toRecord().code(), AIPolishingService::noPresetsCode);
    EXPECT_EQ(empty->localizedDescription(), AIPolishingService::noPresetsMessage());

    const QList<Reply> replies = {
        Reply{204, {}, {}, false},
        Reply::json(200, QJsonObject{{QStringLiteral("results"), QJsonObject()}, {QStringLiteral("duration"), 1}}),
        Reply::json(200, QJsonObject{{QStringLiteral("results"), QJsonObject{{QStringLiteral("Casual"), 3}}},
                                     {QStringLiteral("model"), QStringLiteral("m")},
                                     {QStringLiteral("duration"), 1}}),
    };
    for (const Reply& reply : replies) {
        answerPolish(reply);
        const ErrorPtr error = failureOf(service().polishAll(QStringLiteral("text")));
        ASSERT_TRUE(error);
        EXPECT_NE(dynamic_cast<const JsonDecodingError*>(error.get()), nullptr)
            << error->debugDescription().toStdString();
    }
}

// What a report sends is checked against the service in the polishing loop's end-to-end test.
TEST_F(AIPolishingServiceTest, InteractionLogSwallowsFailures)
{
    BackendClient unreachable(test::ScriptedHttpServer::closedOrigin(), updates());
    const qsizetype linesBefore = log().size();
    EXPECT_NO_THROW(test::awaitTask(unreachable.logInteraction(1, QStringLiteral("use"), QStringLiteral("Casual"))));
    EXPECT_EQ(log().size(), linesBefore);
}

} // namespace
} // namespace quillora
