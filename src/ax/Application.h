#pragma once

#include "ax/Observer.h"
#include "ax/UIElement.h"
#include "platform/Workspace.h"

#include <memory>
#include <optional>
#include <vector>

namespace quillora {

/** The accessibility element of a running application. */
class Application final : public UIElement
{
public:
    explicit Application(AXElementRef element);

    /** The element of `app`; none when it has terminated or its process identifier is negative. */
    [[nodiscard]] static std::optional<Application> fromRunningApplication(const RunningApplication& app);

    /** The element of the running application with this process identifier; none when there is none. */
    [[nodiscard]] static std::optional<Application> forProcessID(qint64 pid);

    /** Every running application that may have a user interface (activation policy not prohibited), in order. */
    [[nodiscard]] static std::vector<Application> all();

    /** Every running application whose bundle identifier is exactly `bundleID`, in order. */
    [[nodiscard]] static std::vector<Application> allForBundleID(const QString& bundleID);

    /** The application's windows; none when it reports no value. Errors as for `attribute`. */
    [[nodiscard]] std::optional<std::vector<UIElement>> windows() const;

    /**
     * An observer of this application's process; null when the application has gone. Any other
     * failure is reported on the diagnostic log and also gives null.
     */
    [[nodiscard]] std::unique_ptr<Observer> createObserver(Observer::Callback callback) const;
    [[nodiscard]] std::unique_ptr<Observer> createObserver(Observer::CallbackWithInfo callback) const;

private:
    template <typename Callback> std::unique_ptr<Observer> makeObserver(Callback callback) const;
};

} // namespace quillora
