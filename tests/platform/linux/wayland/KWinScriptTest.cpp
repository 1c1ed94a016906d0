#include "platform/linux/wayland/KWinScript.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(KWinScriptTest, OnlyACompleteAnswerWithOurTokenCounts)
{
    const QString token = QStringLiteral("c0ffee");
    const std::optional<KWinAnswer> full = KWinScript::parseAnswer(
        R"({"token": "c0ffee", "pointer": {"x": 959, "y": 539.5},
            "window": {"x": 700, "y": 362, "width": 600, "height": 400, "pid": 16128, "appId": "qtclick"}})",
        token);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->pointer, QPointF(959, 539.5));
    EXPECT_EQ(full->window, (ForeignWindow{QRectF(700, 362, 600, 400), 16128, QStringLiteral("qtclick")}));

    // No active window, or one whose rectangle is incomplete: the pointer still counts.
    for (const char* json : {R"({"token": "c0ffee", "pointer": {"x": 1, "y": 2}})",
                             R"({"token": "c0ffee", "pointer": {"x": 1, "y": 2}, "window": {"x": 5, "y": 6}})"}) {
        EXPECT_EQ(KWinScript::parseAnswer(QString::fromUtf8(json), token), (KWinAnswer{QPointF(1, 2), std::nullopt}))
            << json;
    }
    for (const char* json : {R"({"token": "other", "pointer": {"x": 1, "y": 2}})", R"({"pointer": {"x": 1, "y": 2}})",
                             R"({"token": "c0ffee", "pointer": {"x": 1}})",
                             R"({"token": "c0ffee", "pointer": {"x": "1", "y": 2}})", "not json", "[]"}) {
        EXPECT_EQ(KWinScript::parseAnswer(QString::fromUtf8(json), token), std::nullopt) << json;
    }
    EXPECT_EQ(KWinScript::parseAnswer(R"({"token": "", "pointer": {"x": 1, "y": 2}})", QString()), std::nullopt);
}

} // namespace
} // namespace quillora

