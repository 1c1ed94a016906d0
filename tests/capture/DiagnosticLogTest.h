#pragma once

#include "support/SimDesktopTest.h"

#include "platform/UserDefaults.h"

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
};

} // namespace quillora
