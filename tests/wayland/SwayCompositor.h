#pragma once

#include "Compositor.h"

#include <memory>

class QJsonObject;

namespace quillora::test {

class WlrVirtualPointer;

/**
 * sway 1.7 (wlroots) on its headless backend. sway refuses to run as root, so the test runs as an
 * unprivileged user (RunAsSessionUser.sh). Its seat has no input device of its own: the session
 * keeps a virtual keyboard (wtype, sleeping) and a virtual pointer alive for the whole test.
 */
class SwayCompositor final : public Compositor
{
public:
    SwayCompositor();
    ~SwayCompositor() override;

    [[nodiscard]] QString name() const override { return QStringLiteral("sway"); }
    [[nodiscard]] QString start(WaylandSession& session) override;
    [[nodiscard]] std::vector<WindowOnScreen> windows() override;
    [[nodiscard]] VirtualPointer& pointer() override;

private:
    QString writeConfig(const QString& displayFile) const;
    void collect(const QJsonObject& node, std::vector<WindowOnScreen>& windows) const;

    WaylandSession* m_session = nullptr;
    std::unique_ptr<WlrVirtualPointer> m_pointer;
};

} // namespace quillora::test
