#include "capture/CaptureKitError.h"
#include "capture/VersionInfo.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace quillora {

void PrintTo(const CaptureKitError& error, std::ostream* os)
{
    *os << error.debugDescription().toStdString();
}

namespace {

using E = CaptureKitError;

const ErrorPtr kUnderlying = std::make_shared<ErrorRecord>(
    QStringLiteral("NSPOSIXErrorDomain"), 2, QVariantMap{{kLocalizedDescriptionKey, QStringLiteral("No such file")}});

// One value of every case, in declaration order.
QList<E> everyCase()
{
    return {E::operationTimeout(QStringLiteral("copy"), 0.25),
            E(E::AppleScriptExecution{QStringLiteral("tell app"), 3, QStringLiteral("boom")}),
            E::browserNotSupported(QStringLiteral("org.mozilla.firefox")),
            E::noBrowserFound(),
            E::accessibilityPermissionRequired(),
            E::elementNotFound(QStringLiteral("text field")),
            E::invalidParameter(QStringLiteral("timeout"), QStringLiteral("negative")),
            E::system(kUnderlying),
            E::unknown(QStringLiteral("odd"))};
}

TEST(CaptureKitErrorTest, DescriptionsInsertThePayload)
{
    const std::pair<E, const char*> cases[] = {
        {E::operationTimeout(QStringLiteral("x"), 5), "Operation 'x' timed out after 5.0 seconds"},
        {E::operationTimeout(QStringLiteral("x"), 0.25), "Operation 'x' timed out after 0.25 seconds"},
        {E::operationTimeout(QStringLiteral("x"), 1e20),
         "Operation 'x' timed out after 100000000000000000000.0 seconds"},
        {E(E::AppleScriptExecution{QStringLiteral("s"), 1, QStringLiteral("denied")}),
         "AppleScript execution failed with exit code 1: denied"},
        {E(E::AppleScriptExecution{QStringLiteral("s"), std::nullopt, std::nullopt}),
         "AppleScript execution failed with exit code -1: Unknown error"},
        {E::invalidParameter(QStringLiteral("%1"), QStringLiteral("%2")), "Invalid input for parameter '%1': %2"},
        {E::system(kUnderlying), "System error: No such file"},
        {E::unknown(QStringLiteral("odd")), "Unknown error: odd"},
    };
    for (const auto& [error, text] : cases) {
        EXPECT_EQ(error.errorDescription(), QString::fromUtf8(text));
        EXPECT_EQ(error.localizedDescription(), QString::fromUtf8(text));
    }
}

TEST(CaptureKitErrorTest, FromRestoresEveryCaseButTheScriptDescription)
{
    for (const E& error : everyCase()) {
        const std::optional<E> restored = E::from(error.asNSError());
        ASSERT_TRUE(restored.has_value()) << error.debugDescription().toStdString();
        if (const auto* script = error.as<E::AppleScriptExecution>()) {
            E::AppleScriptExecution withoutDescription = *script;
            withoutDescription.description.reset();
            EXPECT_EQ(*restored, E(withoutDescription));
        } else {
            EXPECT_EQ(*restored, error) << error.debugDescription().toStdString();
        }
    }
}

TEST(CaptureKitErrorTest, FromAppliesDefaultsForMissingOrMistypedEntries)
{
    const QString domain = QString::fromLatin1(E::errorDomain);
    const QVariantMap described{{kLocalizedDescriptionKey, QStringLiteral("record text")}};
    struct Case
    {
        ErrorRecord record;
        std::optional<E> expected;
    };
    const Case cases[] = {
        {ErrorRecord(QStringLiteral("OtherDomain"), 1001), std::nullopt},
        {ErrorRecord(domain, 1000), std::nullopt},
        {ErrorRecord(domain, 1010), std::nullopt},
        {ErrorRecord(domain, 1001, {{"operation", 7}, {"duration", QStringLiteral("5")}}),
         E::operationTimeout(QStringLiteral("Unknown operation"), 0)},
        {ErrorRecord(domain, 1001, {{"operation", QStringLiteral("copy")}, {"duration", 2}}),
         E::operationTimeout(QStringLiteral("copy"), 2)},
        {ErrorRecord(domain, 1002, {{"exitCode", 1.5}, {"output", QStringLiteral("o")}}),
         E(E::AppleScriptExecution{QString(), -1, std::nullopt})},
        {ErrorRecord(domain, 1002, {{"exitCode", QStringLiteral("4")}, {"description", QStringLiteral("d")}}),
         E(E::AppleScriptExecution{QString(), -1, QStringLiteral("d")})},
        {ErrorRecord(domain, 1002, {{"script", QStringLiteral("s")}, {"exitCode", 4}}),
         E(E::AppleScriptExecution{QStringLiteral("s"), 4, std::nullopt})},
        {ErrorRecord(domain, 1003, {{"bundleID", true}}), E::browserNotSupported(QString())},
        {ErrorRecord(domain, 1006, {{"elementDescription", 3}}), E::elementNotFound(QStringLiteral("UI element"))},
        {ErrorRecord(domain, 1007, {{"reason", QStringLiteral("r")}}),
         E::invalidParameter(QString(), QStringLiteral("r"))},
        {ErrorRecord(domain, 1008, described), E::unknown(QStringLiteral("record text"))},
        {ErrorRecord(domain, 1008, {{kUnderlyingErrorKey, QStringLiteral("not an error")}}),
         E::unknown(QStringLiteral("The operation couldn’t be completed. (CaptureKitErrorDomain error 1008.)"))},
        {ErrorRecord(domain, 1009, {{"errorDescription", QStringLiteral("own")}}), E::unknown(QStringLiteral("own"))},
    };
    for (const Case& c : cases) {
        const std::optional<E> actual = E::from(c.record);
        EXPECT_EQ(actual, c.expected) << c.record.debugDescription().toStdString();
    }
}

} // namespace
} // namespace quillora
