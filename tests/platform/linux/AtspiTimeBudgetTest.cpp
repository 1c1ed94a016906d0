// The AT-SPI backend against a real GTK 3 editor on the test desktop: the focused element comes
// from focus events, and an application that stops answering costs a call no more than its budget.
#include "DesktopDriver.h"
#include "DesktopSession.h"
#include "DesktopTestEnvironment.h"
#include "platform/linux/atspi/LinuxAccessibility.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace quillora::test {
namespace {

const QString kText = QStringLiteral("A frozen editor must not freeze Quillora.");

TEST(AtspiTimeBudgetTest, AFrozenApplicationCostsACallItsBudgetAndAnswersAgainOnceItThaws)
{
    DesktopSession& session = DesktopTestEnvironment::session();
    DesktopDriver driver(session);
    QProcess* editor =
        session.launch(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QUILLORA_FIXTURES "/gtk_editor.py"), kText});
    ASSERT_NE(editor, nullptr);
    const std::optional<quint64> window = driver.waitForWindow(editor->processId(), QString(), 20000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return driver.activate(*window); }, 5000));

    LinuxAccessibility& accessibility = driver.accessibility();
    const AXElementRef systemWide = accessibility.createSystemWide();
    // The editor's text view has focus; the focus event names it without a search.
    std::optional<AXElementRef> focused;
    ASSERT_TRUE(waitFor(
        [&] {
            const AXReply<AXAny> reply =
                accessibility.copyAttributeValue(systemWide, QStringLiteral("AXFocusedUIElement"));
            const AXElementRef* element = reply.ok() ? reply.value.get<AXElementRef>() : nullptr;
            if (element != nullptr && driver.text(*element) == kText) {
                focused = *element;
            }
            return focused.has_value();
        },
        10000));
    const AXReply<qint64> pid = accessibility.getPid(*focused);
    ASSERT_TRUE(pid.ok());
    EXPECT_EQ(pid.value, editor->processId());

    const struct
    {
        const char* what;
        float budget;
    } rows[] = {{"the default budget", 0}, {"a budget of its own", 0.1F}};
    ASSERT_EQ(::kill(pid_t(editor->processId()), SIGSTOP), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(accessibility.setMessagingTimeout(*focused, row.budget), AXResult::Success);
        QElapsedTimer elapsed;
        elapsed.start();
        const AXReply<AXAny> text = accessibility.copyAttributeValue(*focused, QStringLiteral("AXSelectedText"));
        // Far below D-Bus's own 25 s: the call gave up on its budget (twice the budget, at most,
        // as libatspi checks the time between reads).
        EXPECT_EQ(text.result, AXResult::CannotComplete);
        EXPECT_LT(elapsed.elapsed(), 5000);
    }
    ASSERT_EQ(::kill(pid_t(editor->processId()), SIGCONT), 0);
    EXPECT_TRUE(waitFor(
        [&] {
            const AXReply<AXAny> text = accessibility.copyAttributeValue(*focused, QStringLiteral("AXValue"));
            return text.ok() && text.value.get<QString>() != nullptr && *text.value.get<QString>() == kText;
        },
        5000));
    editor->terminate();
    editor->waitForFinished(3000);
}

} // namespace
} // namespace quillora::test
