#include "ax/AXError.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(AXErrorTest, TextFormNamesEachPlatformCode)
{
    const std::pair<qint32, const char*> cases[] = {
        {0, "Success"},
        {-25200, "Failure"},
        {-25201, "IllegalArgument"},
        {-25202, "InvalidUIElement"},
        {-25203, "InvalidUIElementObserver"},
        {-25204, "CannotComplete"},
        {-25205, "AttributeUnsupported"},
        {-25206, "ActionUnsupported"},
        {-25207, "NotificationUnsupported"},
        {-25208, "NotImplemented"},
        {-25209, "NotificationAlreadyRegistered"},
        {-25210, "NotificationNotRegistered"},
        {-25211, "APIDisabled"},
        {-25212, "NoValue"},
        {-25213, "ParameterizedAttributeUnsupported"},
        {-25214, "NotEnoughPrecision"},
        {-25215, "<Unknown>"},
        {1001, "<Unknown>"},
        {1, "<Unknown>"},
    };
    for (const auto& [code, name] : cases) {
        const AXError error(static_cast<AXResult>(code));
        EXPECT_EQ(error.errorCode(), code);
        EXPECT_EQ(error.debugDescription(), QStringLiteral("AXError.") + QString::fromLatin1(name));
    }
}

TEST(AXErrorTest, RecordCarriesTheDomainAndCode)
{
    const ErrorRecord record = AXError(AXResult::NoValue).toRecord();
    EXPECT_EQ(record.domain(), QStringLiteral("ApplicationServices.AXError"));
    EXPECT_EQ(record.code(), -25212);
    EXPECT_FALSE(record.localizedDescription().isEmpty());
}

TEST(AXErrorTest, ToolkitMenuCodesAreNamedConstants)
{
    EXPECT_EQ(static_cast<qint32>(AXError::noMenuItem), 1001);
    EXPECT_EQ(static_cast<qint32>(AXError::disabledMenuItem), 1002);
    const ErrorPtr copy = AXError(AXError::disabledMenuItem).clone();
    const auto* error = dynamic_cast<const AXError*>(copy.get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), AXError::disabledMenuItem);
}

} // namespace
} // namespace quillora
