#include "ax/UIElement.h"
#include "WarningCapture.h"
#include "support/SimDesktopTest.h"

#include <array>
#include <functional>

namespace quillora {
namespace {

constexpr qint64 kPid = 42;

class UIElementTest : public SimDesktopTest
{
protected:
    SimAccessibility& ax() { return desktop().accessibility(); }
    SimElement app() { return ax().addApplication(kPid); }
    static UIElement wrap(const SimElement& element) { return UIElement(element.ref()); }

    // Runs `operation` and names its outcome: its answer, or "throws <code name>".
    static QString outcome(const std::function<QString()>& operation)
    {
        try {
            return operation();
        } catch (const AXError& error) {
            return QStringLiteral("throws ") + AXError::name(error.code());
        }
    }
};

QString presence(bool present)
{
    return present ? QStringLiteral("value") : QStringLiteral("none");
}

TEST_F(UIElementTest, TypedAndParameterizedReadsGiveTheValueNoneWhenAbsentAndIllegalArgumentOnMismatch)
{
    const SimElement window = app().child(QStringLiteral("AXWindow"));
    const SimElement field = window.child(QStringLiteral("AXTextField"), {{"AXTitle", "Name"},
                                                                          {"AXEnabled", true},
                                                                          {"AXNumberOfCharacters", 12},
                                                                          {"AXFrame", AXRect{{10, 20}, {100, 30}}},
                                                                          {"AXSelectedTextRange", AXRange{3, 4}},
                                                                          {"AXPlaceholderValue", AXNull()}});
    field.setParameterized(QStringLiteral("AXBoundsForRange"), [](const AXAny& parameter) -> AXReply<AXAny> {
        const AXRange* range = parameter.get<AXRange>();
        if (range == nullptr) {
            return AXResult::IllegalArgument;
        }
        return AXAny(AXRect{{double(range->location) * 8, 100}, {double(range->length) * 8, 16}});
    });
    const UIElement e = wrap(field);
    EXPECT_EQ(e.attribute<QString>(Attribute::title), QStringLiteral("Name"));
    EXPECT_EQ(e.attribute<bool>(Attribute::enabled), true);
    EXPECT_EQ(e.attribute<qint64>(Attribute::numberOfCharacters), 12);
    EXPECT_EQ(e.attribute<double>(Attribute::numberOfCharacters), 12.0);
    EXPECT_EQ(e.attribute<AXRect>(Attribute::frame), (AXRect{{10, 20}, {100, 30}}));
    EXPECT_EQ(e.attribute<AXRange>(Attribute::selectedTextRange), (AXRange{3, 4}));
    EXPECT_EQ(e.attribute<UIElement>(Attribute::parent), wrap(window));
    EXPECT_EQ(e.attribute<QString>(Attribute::help), std::nullopt);
    EXPECT_EQ(e.attribute<QString>(Attribute::placeholderValue), std::nullopt);
    EXPECT_TRUE(e.attributeIsSupported(Attribute::placeholderValue));
    EXPECT_FALSE(e.attributeIsSupported(Attribute::help));
    EXPECT_EQ(e.parameterizedAttribute<AXRect>(Attribute::boundsForRangeParameterized, AXRange{2, 5}),
              (AXRect{{16, 100}, {40, 16}}));

    const std::pair<const char*, std::function<void()>> mismatches[] = {
        {"text as integer", [&] { (void)e.attribute<qint64>(Attribute::title); }},
        {"boolean as text", [&] { (void)e.attribute<QString>(Attribute::enabled); }},
        {"range as rectangle", [&] { (void)e.attribute<AXRect>(Attribute::selectedTextRange); }},
        {"element as text", [&] { (void)e.attribute<QString>(Attribute::parent); }},
        {"scalar as list", [&] { (void)e.arrayAttribute<UIElement>(Attribute::title); }},
        {"list of elements as texts", [&] { (void)wrap(window).arrayAttribute<QString>(Attribute::children); }},
        {"parameter of the wrong type",
         [&] { (void)e.parameterizedAttribute<AXRect>(Attribute::boundsForRangeParameterized, AXAny("x")); }},
        {"parameterized answer as the wrong type",
         [&] { (void)e.parameterizedAttribute<AXRange>(Attribute::boundsForRangeParameterized, AXRange{}); }},
    };
    for (const auto& [name, read] : mismatches) {
        EXPECT_EQ(outcome([&] { return read(), QString(); }), QStringLiteral("throws IllegalArgument")) << name;
    }
}

TEST_F(UIElementTest, MultipleAttributesLeaveOutAbsentValuesAndThrowOtherErrorsAndListsReadWholeSlicedAndCounted)
{
    const SimElement field = app().child(QStringLiteral("AXTextField"), {{"AXValue", "hello"}, {"AXHelp", AXNull()}});
    const UIElement e = wrap(field);

    const auto values = e.getMultipleAttributes(Attribute::role, Attribute::title, Attribute::value, Attribute::help);
    ASSERT_EQ(values.size(), 2U);
    EXPECT_EQ(values.at(Attribute::role), AXAny("AXTextField"));
    EXPECT_EQ(values.at(Attribute::value), AXAny("hello"));

    const auto byName = e.getMultipleAttributes(QStringList{QStringLiteral("AXRole"), QStringLiteral("AXNope")});
    ASSERT_EQ(byName.size(), 1U);
    EXPECT_EQ(byName.at(QStringLiteral("AXRole")), AXAny("AXTextField"));

    field.failAttribute(QStringLiteral("AXTitle"), AXResult::AttributeUnsupported);
    EXPECT_EQ(e.getMultipleAttributes(Attribute::role, Attribute::title).size(), 1U);

    field.failAttribute(QStringLiteral("AXTitle"), AXResult::CannotComplete);
    EXPECT_EQ(
        outcome([&] { return QString::number(e.getMultipleAttributes(Attribute::role, Attribute::title).size()); }),
        QStringLiteral("throws CannotComplete"));

    EXPECT_EQ(ax().callCounts().value(QStringLiteral("copyMultipleAttributeValues")), 4);
    field.destroy();
    EXPECT_EQ(outcome([&] { return QString::number(e.getMultipleAttributes(Attribute::role).size()); }),
              QStringLiteral("throws InvalidUIElement"));

    // Lists read whole, sliced and counted.
    const SimElement menu = app().child(QStringLiteral("AXMenu"));
    for (const char* title : {"Undo", "Redo", "Cut", "Copy"}) {
        menu.child(QStringLiteral("AXMenuItem"), {{"AXTitle", title}});
    }
    const UIElement list = wrap(menu);
    const std::optional<std::vector<UIElement>> children = list.arrayAttribute<UIElement>(Attribute::children);
    ASSERT_TRUE(children.has_value());
    ASSERT_EQ(children->size(), 4U);
    EXPECT_EQ(children->at(3).attribute<QString>(Attribute::title), QStringLiteral("Copy"));

    const auto slice = list.valuesForAttribute<UIElement>(QStringLiteral("AXChildren"), 1, 2);
    ASSERT_TRUE(slice.has_value());
    ASSERT_EQ(slice->size(), 2U);
    EXPECT_EQ(slice->at(0), children->at(1));
    EXPECT_EQ(list.valueCountForAttribute(Attribute::children), 4);
    EXPECT_EQ(list.valueCountForAttribute(Attribute::role), std::nullopt);
    EXPECT_EQ(list.arrayAttribute<UIElement>(Attribute::rows), std::nullopt);
}

TEST_F(UIElementTest, WritesAndActionsReachTheElement)
{
    int presses = 0;
    const SimElement other = app().child(QStringLiteral("AXStaticText"));
    const SimElement field = app().child(QStringLiteral("AXTextField"), {{"AXValue", "old"}, {"AXTitle", "t"}});
    field.makeSettable(QStringLiteral("AXValue"))
        .makeSettable(QStringLiteral("AXTitleUIElement"))
        .set(QStringLiteral("AXTitleUIElement"), AXNull())
        .addAction(
            QStringLiteral("AXPress"), [&] { ++presses; }, QStringLiteral("press"));
    const UIElement e = wrap(field);

    EXPECT_TRUE(e.attributeIsSettable(Attribute::value));
    EXPECT_FALSE(e.attributeIsSettable(Attribute::title));
    e.setAttribute(Attribute::value, AXAny("new"));
    EXPECT_EQ(field.attribute(QStringLiteral("AXValue")), AXAny("new"));
    e.setAttribute(QStringLiteral("AXTitleUIElement"), wrap(other));
    EXPECT_EQ(e.attribute<UIElement>(Attribute::titleUIElement), wrap(other));
    EXPECT_EQ(outcome([&] { return e.setAttribute(Attribute::title, AXAny("x")), QString(); }),
              QStringLiteral("throws IllegalArgument"));

    e.performAction(Action::press);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(e.actionDescription(Action::press), QStringLiteral("press"));
    EXPECT_EQ(outcome([&] { return e.performAction(Action::cancel), QString(); }),
              QStringLiteral("throws ActionUnsupported"));
    field.failAction(QStringLiteral("AXPress"), AXResult::CannotComplete);
    EXPECT_EQ(outcome([&] { return e.performAction(Action::press), QString(); }),
              QStringLiteral("throws CannotComplete"));
    EXPECT_EQ(presses, 1);
}

TEST_F(UIElementTest, MessagingTimeoutIsClampedAndBoundsTheWaitForAnUnresponsiveApplication)
{
    test::WarningCapture warnings;
    const SimElement field = app().child(QStringLiteral("AXTextField"), {{"AXTitle", "x"}});
    UIElement e = wrap(field);
    ax().setUnresponsive(kPid, true);
    const auto readTitle = [&] { return presence(e.attribute<QString>(Attribute::title).has_value()); };

    UIElement::setGlobalMessagingTimeout(1.5F);
    EXPECT_EQ(outcome(readTitle), QStringLiteral("throws CannotComplete"));
    EXPECT_DOUBLE_EQ(ax().waitedSeconds(), 1.5);
    e.setMessagingTimeout(0.5F);
    (void)outcome(readTitle);
    EXPECT_DOUBLE_EQ(ax().waitedSeconds(), 2.0);
    UIElement::setGlobalMessagingTimeout(0);
    ax().setUnresponsive(kPid, false);

    e.setMessagingTimeout(-1.0F);
    EXPECT_EQ(e.messagingTimeout(), 0.0F);
    EXPECT_EQ(field.messagingTimeout(), 0.0F);
    EXPECT_TRUE(warnings.lines().isEmpty());

    field.failAll(AXResult::Failure);
    e.setMessagingTimeout(3);
    EXPECT_EQ(e.messagingTimeout(), 3.0F);
    EXPECT_EQ(warnings.lines(),
              QStringList{QStringLiteral("Unexpected error setting messaging timeout: AXError.Failure")});

    field.failAll(AXResult::Success);
    field.destroy();
    e.setMessagingTimeout(4);
    EXPECT_EQ(warnings.lines().size(), 1);
}

TEST_F(UIElementTest, TrustCheckPromptsOnlyWhenAskedAndNotTrusted)
{
    EXPECT_TRUE(checkIsProcessTrusted(TrustPrompt::Prompt));
    EXPECT_EQ(ax().trustPrompts(), 0);
    ax().setTrusted(false);
    EXPECT_FALSE(UIElement::isProcessTrusted(TrustPrompt::Silent));
    EXPECT_EQ(ax().trustPrompts(), 0);
    EXPECT_FALSE(checkIsProcessTrusted(TrustPrompt::Prompt));
    EXPECT_EQ(ax().trustPrompts(), 1);
}

} // namespace
} // namespace quillora
