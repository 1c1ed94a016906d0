#include "support/SimDesktopTest.h"

namespace quillora {

void SimDesktopTest::SetUp()
{
    m_desktop = std::make_unique<SimDesktop>();
    Platform::setCurrent(m_desktop.get());
}

void SimDesktopTest::TearDown()
{
    Platform::setCurrent(nullptr);
    m_desktop.reset();
}

} // namespace quillora
