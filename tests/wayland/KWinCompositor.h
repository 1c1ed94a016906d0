#pragma once

#include "Compositor.h"

#include <memory>

namespace quillora::test {

class KdeFakePointer;
class KWinScripts;

/**
 * KWin 5.27 on its virtual backend, with Xwayland. Where windows are and which one is active come
 * from KWin scripts; the pointer is KDE's fake input, which KWin offers to this program because the
 * session installs a desktop entry naming it.
 */
class KWinCompositor final : public Compositor
{
public:
    KWinCompositor();
    ~KWinCompositor() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("KWin"); }
    [[nodiscard]] QString start(WaylandSession& session) override;
    [[nodiscard]] std::vector<WindowOnScreen> windows() override;
    [[nodiscard]] VirtualPointer& pointer() override;

private:
    bool offerFakeInputToThisProgram() const;

    WaylandSession* m_session = nullptr;
    std::unique_ptr<KdeFakePointer> m_pointer;
    std::unique_ptr<KWinScripts> m_scripts;
};

} // namespace quillora::test
