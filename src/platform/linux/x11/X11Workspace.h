#pragma once

#include "platform/Workspace.h"

#include <QHash>

#include <memory>

namespace quillora {

class X11WindowDirectory;
struct X11ClientWindow;

/**
 * The workspace of the X11 desktop. The running applications are the processes that own
 * top-level client windows, as the window manager lists them: each is named after its window's
 * WM_CLASS class (or, without one, the process name), and its bundle identifier is the WM_CLASS
 * instance name. The frontmost application owns the active window. Without a display or a window
 * manager there are no running applications and none is frontmost.
 */
class X11Workspace final : public Workspace
{
public:
    X11Workspace();
    /** Reads windows through `windows`, which other parts of the backend may share. */
    explicit X11Workspace(std::shared_ptr<X11WindowDirectory> windows);
    ~X11Workspace() override;

    [[nodiscard]] std::optional<RunningApplication> frontmostApplication() const override;
    [[nodiscard]] QList<RunningApplication> runningApplications() const override;

    /** Opens `url` with xdg-open, detached; false when xdg-open cannot be started. */
    bool openURL(const QUrl& url) override;

    /**
     * Runs `name` as a program found through PATH, detached, then waits up to five seconds for
     * it to show a window (or to exit, as single-instance programs do after handing over). Throws
     * an `ErrorRecord` (domain "X11Workspace", code 1) when the program cannot be started.
     */
    void launchApplication(const QString& name) override;

private:
    [[nodiscard]] RunningApplication application(const X11ClientWindow& window) const;

    std::shared_ptr<X11WindowDirectory> m_windows;
    /** Applications already described, by process, WM_CLASS and GTK application id. */
    mutable QHash<QString, RunningApplication> m_applications;
};

} // namespace quillora
