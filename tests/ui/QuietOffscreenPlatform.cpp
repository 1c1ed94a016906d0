// The offscreen platform cannot raise windows or change their opacity and says so on every call;
// those lines carry no information in these tests and would bury real warnings.
#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

QtMessageHandler previousHandler = nullptr;

void filterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (previousHandler) {
        previousHandler(type, context, message);
    }
}

class QuietOffscreenPlatform final : public ::testing::Environment
{
public:
    void SetUp() override { previousHandler = qInstallMessageHandler(filterMessages); }
    void TearDown() override { qInstallMessageHandler(previousHandler); }
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QuietOffscreenPlatform);

} // namespace
