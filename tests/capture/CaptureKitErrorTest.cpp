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

} // namespace
} // namespace quillora
