#include "platform/linux/LinuxUserDefaults.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(LinuxUserDefaultsTest, ValuesKeepTheirTypesAcrossReopening)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/defaults.json"));
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123);
    {
        LinuxUserDefaults defaults(path);
        EXPECT_TRUE(defaults.set(QStringLiteral("flag"), false));
        EXPECT_TRUE(defaults.set(QStringLiteral("count"), 42));
        EXPECT_TRUE(defaults.set(QStringLiteral("ratio"), 0.25));
        EXPECT_TRUE(defaults.set(QStringLiteral("backendAccessToken"), QStringLiteral("secret")));
        EXPECT_TRUE(defaults.set(QStringLiteral("com.tessel.quillora.presets"), QByteArray("[\x01\xff]")));
        EXPECT_TRUE(defaults.set(QStringLiteral("lastUpdateCheckDate"), when));
        EXPECT_FALSE(defaults.set(QStringLiteral("list"), QStringList{QStringLiteral("x")}));
    }
    LinuxUserDefaults reopened(path);
    EXPECT_EQ(reopened.object(QStringLiteral("flag")).typeId(), QMetaType::Bool);
    EXPECT_FALSE(reopened.boolValue(QStringLiteral("flag")));
    EXPECT_TRUE(reopened.contains(QStringLiteral("flag")));
    EXPECT_EQ(reopened.object(QStringLiteral("count")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(reopened.object(QStringLiteral("count")).toLongLong(), 42);
    EXPECT_EQ(reopened.object(QStringLiteral("ratio")).toDouble(), 0.25);
    EXPECT_EQ(reopened.string(QStringLiteral("backendAccessToken")), QStringLiteral("secret"));
    EXPECT_EQ(reopened.data(QStringLiteral("com.tessel.quillora.presets")), QByteArray("[\x01\xff]"));
    EXPECT_EQ(reopened.date(QStringLiteral("lastUpdateCheckDate")), when);
    EXPECT_FALSE(reopened.contains(QStringLiteral("list")));
    // A typed getter of another type reads as absent.
    EXPECT_TRUE(reopened.string(QStringLiteral("flag")).isNull());

    reopened.remove(QStringLiteral("count"));
    EXPECT_FALSE(reopened.contains(QStringLiteral("count")));
    reopened.removeDomain();
    EXPECT_FALSE(LinuxUserDefaults(path).contains(QStringLiteral("backendAccessToken")));
}

TEST(LinuxUserDefaultsTest, FileHoldingTokensIsReadableByOwnerOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    LinuxUserDefaults defaults(path);
    defaults.set(QStringLiteral("backendRefreshToken"), QStringLiteral("r"));
    EXPECT_EQ(QFile::permissions(path) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
              QFile::Permissions());
    EXPECT_TRUE(QFile::permissions(path) & QFile::ReadOwner);
}

} // namespace
} // namespace quillora
