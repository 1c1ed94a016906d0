#include "ax/Application.h"

#include "platform/Platform.h"

#include <QDebug>

namespace quillora {

Application::Application(AXElementRef element)
    : UIElement(std::move(element))
{
}

std::optional<Application> Application::fromRunningApplication(const RunningApplication& app)
{
    if (app.terminated || app.pid < 0) {
        return std::nullopt;
    }
    return Application(platform().createApplication(app.pid));
}

std::optional<Application> Application::forProcessID(qint64 pid)
{
    const std::optional<RunningApplication> app = Platform::current().workspace().application(pid);
    return app ? fromRunningApplication(*app) : std::nullopt;
}

std::vector<Application> Application::all()
{
    std::vector<Application> result;
    for (const RunningApplication& app : Platform::current().workspace().runningApplications()) {
        if (app.activationPolicy == ActivationPolicy::Prohibited) {
            continue;
        }
        if (auto element = fromRunningApplication(app)) {
            result.push_back(*element);
        }
    }
    return result;
}

std::vector<Application> Application::allForBundleID(const QString& bundleID)
{
    std::vector<Application> result;
    for (const RunningApplication& app : Platform::current().workspace().runningApplications()) {
        if (app.bundleIdentifier != bundleID) {
            continue;
        }
        if (auto element = fromRunningApplication(app)) {
            result.push_back(*element);
        }
    }
    return result;
}

std::optional<std::vector<UIElement>> Application::windows() const
{
    return arrayAttribute<UIElement>(Attribute::windows);
}

template <typename Callback> std::unique_ptr<Observer> Application::makeObserver(Callback callback) const
{
    try {
        return std::make_unique<Observer>(pid(), std::move(callback));
    } catch (const AXError& error) {
        // InvalidUIElement means the application has gone, which is an expected answer.
        if (error.code() != AXResult::InvalidUIElement) {
            qWarning().noquote() << QStringLiteral("Caught unexpected error creating observer: ") +
                                        error.debugDescription();
        }
        return nullptr;
    }
}

std::unique_ptr<Observer> Application::createObserver(Observer::Callback callback) const
{
    return makeObserver(std::move(callback));
}

std::unique_ptr<Observer> Application::createObserver(Observer::CallbackWithInfo callback) const
{
    return makeObserver(std::move(callback));
}

} // namespace quillora
