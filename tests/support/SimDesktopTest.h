#pragma once

#include "platform/sim/SimDesktop.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillora {

/** Fixture: a fresh simulated desktop installed as the current platform for each test. */
class SimDesktopTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    SimDesktop& desktop() { return *m_desktop; }
    SimClock& clock() { return m_desktop->clock(); }

    /** Advances the virtual clock by `seconds`. */
    void advance(double seconds) { m_desktop->clock().advance(seconds); }

private:
    std::unique_ptr<SimDesktop> m_desktop;
};

} // namespace quillora
