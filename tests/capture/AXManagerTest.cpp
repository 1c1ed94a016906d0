#include "capture/AXManager.h"
#include "DiagnosticLogTest.h"
#include "MenuBarBuilder.h"
#include "capture/ElementAccessors.h"
#include "capture/Log.h"

namespace quillora {
namespace {

constexpr qint64 kPid = 80;

class AXManagerTest : public DiagnosticLogTest
{
protected:
    void SetUp() override
    {
        DiagnosticLogTest::SetUp();
        desktop().workspace().addApplication({kPid, QStringLiteral("com.example.notes"), QStringLiteral("Notes")});
        desktop().workspace().setFrontmost(kPid);
        m_bar = test::addMenuBar(ax().addApplication(kPid),
                                 {QStringLiteral("Apple"), QStringLiteral("Notes"), QStringLiteral("File"),
                                  QStringLiteral("Edit"), QStringLiteral("Format")});
    }

    SimElement addCopy(std::optional<bool> enabled)
    {
        return test::addItem(test::menuAt(m_bar, 3),
                             {QStringLiteral("Copy"), QStringLiteral("copy:"), QStringLiteral("C"), enabled});
    }

    // Runs a lookup and names its outcome: "found" or the thrown code.
    static QString outcome(const std::function<void()>& lookup)
    {
        try {
            lookup();
            return QStringLiteral("found");
        } catch (const AXError& error) {
            return QString::number(error.errorCode());
        }
    }

    AXManager m_manager;
    SimElement m_bar{nullptr};
};

TEST_F(AXManagerTest, EnabledStateDecidesOnlyWhenRequired)
{
    struct Case
    {
        const char* name;
        std::optional<bool> enabled;
        const char* required;
    };
    const Case cases[] = {
        {"enabled", true, "found"},
        {"disabled", false, "1002"},
        {"state unknown", std::nullopt, "1002"},
    };
    for (const Case& c : cases) {
        const SimElement copy = addCopy(c.enabled);
        EXPECT_EQ(outcome([&] { (void)m_manager.findEnabledMenuItem(SystemMenuItem::copy); }),
                  QString::fromLatin1(c.required))
            << c.name;
        EXPECT_EQ(m_manager.findMenuItem(SystemMenuItem::copy, RequireEnabled::No), UIElement(copy.ref())) << c.name;
        EXPECT_TRUE(m_manager.hasCopyMenuItem()) << c.name;
        copy.destroy();
    }
    EXPECT_FALSE(m_manager.hasCopyMenuItem());
    EXPECT_FALSE(m_manager.hasPasteMenuItem());
}

TEST_F(AXManagerTest, MissingItemsApplicationsAndTrustAreErrors)
{
    addCopy(true).failAttribute(QStringLiteral("AXEnabled"), AXResult::CannotComplete);
    EXPECT_EQ(outcome([&] { (void)m_manager.findEnabledMenuItem(SystemMenuItem::copy); }), QStringLiteral("-25204"));
    EXPECT_EQ(outcome([&] { (void)m_manager.findMenuItem(SystemMenuItem::paste, RequireEnabled::No); }),
              QStringLiteral("1001"));

    // A frontmost application without an accessible tree has no menus to search.
    desktop().workspace().addApplication({81, std::nullopt, QStringLiteral("Terminal")});
    desktop().workspace().setFrontmost(81);
    EXPECT_EQ(outcome([&] { (void)m_manager.findMenuItem(SystemMenuItem::copy, RequireEnabled::No); }),
              QStringLiteral("1001"));

    desktop().workspace().setFrontmost(-1);
    EXPECT_EQ(outcome([&] { (void)m_manager.findMenuItem(SystemMenuItem::copy, RequireEnabled::No); }),
              QStringLiteral("1001"));

    desktop().workspace().setFrontmost(kPid);
    ax().setTrusted(false);
    EXPECT_EQ(outcome([&] { (void)m_manager.findMenuItem(SystemMenuItem::copy, RequireEnabled::No); }),
              QStringLiteral("-25211"));
    EXPECT_EQ(ax().trustPrompts(), 1);
    EXPECT_FALSE(m_manager.hasCopyMenuItem());
}

TEST_F(AXManagerTest, SelectedTextFrameIsTheBoundsOfTheSelectedRange)
{
    const SimElement field = ax().application(kPid)->child(QStringLiteral("AXTextArea"));
    EXPECT_EQ(m_manager.getSelectedTextFrame(), AXRect());

    field.focus();
    EXPECT_EQ(m_manager.getSelectedTextFrame(), AXRect());

    field.set(QStringLiteral("AXSelectedTextRange"), AXRange{4, 3});
    EXPECT_EQ(m_manager.getSelectedTextFrame(), AXRect());

    field.setParameterized(QStringLiteral("AXBoundsForRange"), [](const AXAny& parameter) -> AXReply<AXAny> {
        const AXRange range = *parameter.get<AXRange>();
        return AXAny(AXRect{{100.0 + double(range.location) * 7, 500}, {double(range.length) * 7, 14}});
    });
    EXPECT_EQ(m_manager.getSelectedTextFrame(), (AXRect{{128, 500}, {21, 14}}));

    field.failAttribute(QStringLiteral("AXSelectedTextRange"), AXResult::CannotComplete);
    EXPECT_THROW((void)m_manager.getSelectedTextFrame(), AXError);
}

TEST_F(AXManagerTest, AccessibilityReadReturnsTheSelectedTextOrNoValueAndLogsItOnlyWithDiagnosticLogging)
{
    const SimElement field = ax().application(kPid)->child(QStringLiteral("AXTextArea"));
    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        std::optional<QString> text;
        AXResult error;
    };
    const Case cases[] = {
        {"no focused element", [] {}, std::nullopt, AXResult::NoValue},
        {"no selected text", [&] { field.focus(); }, std::nullopt, AXResult::NoValue},
        {"selected text, as is", [&] { field.set(QStringLiteral("AXSelectedText"), AXAny(" hello there\n")); },
         QStringLiteral(" hello there\n"), AXResult::Success},
        {"empty selection", [&] { field.set(QStringLiteral("AXSelectedText"), AXAny("")); }, QString(""),
         AXResult::Success},
        {"not text", [&] { field.set(QStringLiteral("AXSelectedText"), AXAny(5)); }, std::nullopt,
         AXResult::IllegalArgument},
        {"failing read", [&] { field.failAll(AXResult::CannotComplete); }, std::nullopt, AXResult::CannotComplete},
    };
    for (const Case& c : cases) {
        c.arrange();
        const auto result = test::start(m_manager.getSelectedTextByAX());
        ASSERT_TRUE(result->done()) << c.name;
        if (c.text) {
            EXPECT_EQ(result->value(), c.text) << c.name;
        } else {
            const auto error = result->errorAs<AXError>();
            ASSERT_NE(error, nullptr) << c.name;
            EXPECT_EQ(error->code(), c.error) << c.name;
        }
    }

    // The text reaches the system log only with diagnostic logging on.
    field.failAll(AXResult::Success);
    field.set(QStringLiteral("AXSelectedText"), AXAny("my secret draft"));
    for (const bool diagnostic : {false, true}) {
        desktop().userDefaults().set(QStringLiteral("diagnosticLogging"), diagnostic);
        desktop().systemLog().clear();
        ASSERT_TRUE(test::start(m_manager.getSelectedTextByAX())->done());
        EXPECT_EQ(log().constLast(),
                  QStringLiteral("Selected text via AX: ") +
                      (diagnostic ? QStringLiteral("my secret draft") : QStringLiteral("<private>")));
    }
    desktop().userDefaults().set(QStringLiteral("diagnosticLogging"), false);
    qputenv("QUILLORA_DIAGNOSTIC_LOGGING", "1");
    EXPECT_EQ(privateValue(QStringLiteral("shown")), QStringLiteral("shown"));
    qunsetenv("QUILLORA_DIAGNOSTIC_LOGGING");
    EXPECT_EQ(privateValue(QStringLiteral("hidden")), QStringLiteral("<private>"));
}

} // namespace
} // namespace quillora
