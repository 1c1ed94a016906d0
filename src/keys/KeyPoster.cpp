#include "keys/KeyPoster.h"

#include "core/Graphemes.h"
#include "keys/KeyPosterError.h"
#include "platform/KeyEventSink.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"


#include <optional>

namespace quillora {

namespace {

void post(const QList<KeyEvent>& events, std::optional<qint64> target, KeyUp keyUp)
{
    KeyEventSink& sink = Platform::current().keyEventSink();
    for (const KeyEvent& event : events) {
        const quint64 flags = event.flags();
        // The sink refuses a key it cannot make on this desktop; that event is skipped and the rest
        // still go out, as posting has no result to report.
        sink.post({event.key.rawValue(), true, flags, target});
        if (keyUp == KeyUp::Send) {
            sink.post({event.key.rawValue(), false, flags, target});
        }
    }
}

std::optional<RunningApplication> applicationNamed(const QString& name)
{
    for (const RunningApplication& application : Platform::current().workspace().runningApplications()) {
        if (application.localizedName == name) {
            return application;
        }
    }
    return std::nullopt;
}

} // namespace

QCoro::Task<> KeyPoster::modifiersReleased()
{
    constexpr int kLongestWaitMs = 1000;
    co_await Platform::current().keyEventSink().modifiersReleased(kLongestWaitMs);
}

KeyPoster::KeyPoster(QList<KeyEvent> events)
    : m_events(std::move(events))
{
}

KeyPoster::KeyPoster(Key key, QList<Modifier> modifiers)
    : m_events{KeyEvent(key, std::move(modifiers))}
{
}

KeyPoster::KeyPoster(const QString& string)
{
    for (const QString& character : Graphemes::split(string)) {
        const std::optional<Key> key = Key::fromString(character);
        if (!key) {
            throw KeyPosterError(QStringLiteral("Invalid character. Cannot create key event."));
        }
        const bool upperCase = character.toLower() != character;
        m_events.append(upperCase ? KeyEvent(*key, Modifier::shift) : KeyEvent(*key));
    }
}

void KeyPoster::sendGlobally(KeyUp keyUp) const
{
    post(m_events, std::nullopt, keyUp);
}

void KeyPoster::send(const RunningApplication& application, KeyUp keyUp) const
{
    post(m_events, application.pid, keyUp);
}

void KeyPoster::send(const QString& name, KeyUp keyUp) const
{
    const std::optional<RunningApplication> application = applicationNamed(name);
    if (!application) {
        throw KeyPosterError(
            QStringLiteral("Application with name \"%1\" either does not exist, or is not currently running.")
                .arg(name));
    }
    send(*application, keyUp);
}

void KeyPoster::trySend(const QString& name, KeyUp keyUp) const
{
    if (const std::optional<RunningApplication> application = applicationNamed(name)) {
        send(*application, keyUp);
    }
}

void KeyPoster::sendToFrontmostApplication(KeyUp keyUp) const
{
    const std::optional<RunningApplication> frontmost = Platform::current().workspace().frontmostApplication();
    if (!frontmost) {
        throw KeyPosterError(QStringLiteral("No frontmost application exists."));
    }
    send(*frontmost, keyUp);
}

void KeyPoster::sendToAllApplications(KeyUp keyUp) const
{
    for (const RunningApplication& application : Platform::current().workspace().runningApplications()) {
        send(application, keyUp);
    }
}

void KeyPoster::send(const std::function<bool(const RunningApplication&)>& where) const
{
    QList<RunningApplication> chosen;
    for (const RunningApplication& application : Platform::current().workspace().runningApplications()) {
        if (where(application)) {
            chosen.append(application);
        }
    }
    for (const RunningApplication& application : chosen) {
        send(application, KeyUp::Send);
    }
}

void KeyPoster::openApplicationAndSend(const QString& name) const
{
    // An application whose localized name differs from the name it was launched by would never
    // be found, so the launches are bounded instead of repeated for ever.
    for (int launches = 0;; ++launches) {
        if (const std::optional<RunningApplication> application = applicationNamed(name)) {
            send(*application, KeyUp::Send);
            return;
        }
        if (launches == maximumLaunches) {
            throw KeyPosterError(
                QStringLiteral("Application with name \"%1\" is still not running after launching it %2 times.")
                    .arg(name)
                    .arg(maximumLaunches));
        }
        Platform::current().workspace().launchApplication(name);
    }
}

void KeyPoster::copy()
{
    KeyPoster(Key::c, Modifier::command).sendGlobally(KeyUp::Send);
}

void KeyPoster::paste()
{
    KeyPoster(Key::v, Modifier::command).sendGlobally(KeyUp::Send);
}

void KeyPoster::selectAll()
{
    KeyPoster(Key::a, Modifier::command).sendGlobally(KeyUp::Send);
}

} // namespace quillora
