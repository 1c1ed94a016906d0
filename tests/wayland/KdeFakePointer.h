#pragma once

#include "VirtualPointer.h"

#include <QString>

#include <memory>

struct org_kde_kwin_fake_input;

namespace quillora {
class WaylandConnection;
}

namespace quillora::test {


/**
 * A pointer made with KDE's fake-input protocol (KWin). KWin offers the protocol only to programs
 * that an installed desktop entry names with `X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input`.
 */
class KdeFakePointer final : public VirtualPointer
{
public:
    /** Connects to the compositor at `socketPath`; null when it does not offer fake input to this program. */
    [[nodiscard]] static std::unique_ptr<KdeFakePointer> create(const QString& socketPath);
    ~KdeFakePointer() override;

    [[nodiscard]] bool moveTo(QPoint point) override;
    [[nodiscard]] bool press() override;
    [[nodiscard]] bool release() override;

private:
    KdeFakePointer() = default;

    std::unique_ptr<WaylandConnection> m_connection;
    org_kde_kwin_fake_input* m_input = nullptr;
};

} // namespace quillora::test
