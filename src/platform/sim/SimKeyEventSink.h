#pragma once

#include "platform/KeyEventSink.h"

#include <QList>

#include <functional>

namespace quillora {

/**
 * Records every posted key event in order with its target. Listeners (the simulated apps) see
 * each event as it is posted.
 */
class SimKeyEventSink final : public KeyEventSink
{
public:
    bool post(const PostedKeyEvent& event) override;

    [[nodiscard]] const QList<PostedKeyEvent>& events() const { return m_events; }
    void clear() { m_events.clear(); }

    /** Called with every posted event after it is recorded. */
    void setListener(std::function<void(const PostedKeyEvent&)> listener) { m_listener = std::move(listener); }

    /** Key codes that cannot be made into events (posting them returns false and records nothing). */
    void setUnmappableKeys(QList<int> keys) { m_unmappable = std::move(keys); }

    /** Makes the sink behave as a session that lets no key be posted (`canPost` false). */
    void setCanPost(bool canPost) { m_canPost = canPost; }
    [[nodiscard]] bool canPost() const override { return m_canPost; }

private:
    QList<PostedKeyEvent> m_events;
    QList<int> m_unmappable;
    std::function<void(const PostedKeyEvent&)> m_listener;
    bool m_canPost = true;
};

} // namespace quillora
