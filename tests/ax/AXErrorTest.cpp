#include "ax/AXError.h"
#include "core/ErrorRecord.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(AXErrorTest, RecordCarriesTheDomainAndCode)
{
    const ErrorRecord record = AXError(AXResult::NoValue).toRecord();
    EXPECT_EQ(record.domain(), QStringLiteral("ApplicationServices.AXError"));
    EXPECT_EQ(record.code(), -25212);
    EXPECT_FALSE(record.localizedDescription().isEmpty());
}

} // namespace
} // namespace quillora
