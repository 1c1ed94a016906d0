#pragma once

#include <QtGlobal>

#include <optional>

#include <qcoro/qcorotask.h>

namespace quillora {

/** One synthetic key event as it is posted: a virtual key code, down or up, and modifier flags. */
struct PostedKeyEvent
{
    int virtualKey = 0;
    bool keyDown = true;
    quint64 flags = 0;
    /** The process the event is posted to; absent for the whole system. */
    std::optional<qint64> targetPid;

    bool operator==(const PostedKeyEvent&) const = default;
};

/**
 * Where synthetic key events go. Virtual key codes and flags use the key table of `Key` and
 * `Modifier` (the key table's codes); a backend maps them onto its own keyboard.
 */
class KeyEventSink
{
public:
    KeyEventSink() = default;
    KeyEventSink(const KeyEventSink&) = delete;
    KeyEventSink& operator=(const KeyEventSink&) = delete;
    virtual ~KeyEventSink() = default;

    /**
     * Posts one event, to the whole system or to the target process. Returns false when the event
     * could not be made (for example an unmappable key); callers skip such events silently.
     */
    virtual bool post(const PostedKeyEvent& event) = 0;

    /**
     * Completes once the user has let go of every modifier key, or after `budgetMs`, without
     * blocking: a key posted while the user still holds Alt would reach the application as
     * Alt plus that key. At once where a backend cannot tell.
     */
    virtual QCoro::Task<> modifiersReleased(int budgetMs)
    {
        Q_UNUSED(budgetMs);
        co_return;
    }

    /** False where this session lets no key be posted to other applications at all. */
    [[nodiscard]] virtual bool canPost() const { return true; }
};

} // namespace quillora
