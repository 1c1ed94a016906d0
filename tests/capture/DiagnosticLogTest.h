#pragma once

#include "support/Drive.h"
#include "support/SimDesktopTest.h"
#include "support/TaskRunner.h"

#include "platform/UserDefaults.h"

#include <QRegularExpression>

namespace quillora {

/** A simulated desktop with diagnostic logging on, so that the toolkit's log lines show their values. */
class DiagnosticLogTest : public SimDesktopTest
{
protected:
    void SetUp() override
    {
        SimDesktopTest::SetUp();
        desktop().userDefaults().set(QStringLiteral("diagnosticLogging"), true);
    }

    /** Runs `task` to its end; script threads and callback workers answer through the event loop. */
    template <typename T> std::shared_ptr<test::TaskOutcome<T>> run(QCoro::Task<T> task)
    {
        auto outcome = test::start(std::move(task));
        EXPECT_TRUE(test::drive(clock(), [&] { return outcome->done(); }));
        return outcome;
    }

    SimAccessibility& ax() { return desktop().accessibility(); }

    /** The toolkit's log lines without their timestamps. */
    QStringList log()
    {
        static const QRegularExpression timestamp(QStringLiteral("^\\[[^\\]]*\\] "));
        QStringList lines;
        for (const QString& message : desktop().systemLog().messages()) {
            lines << QString(message).remove(timestamp);
        }
        return lines;
    }
};

} // namespace quillora
