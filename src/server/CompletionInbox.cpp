#include "server/CompletionInbox.h"

#include <QMetaObject>

#include <algorithm>
#include <vector>

namespace quillora {

CompletionInbox::CompletionInbox(int batchLimit)
    : m_batchLimit(static_cast<std::size_t>(std::max(1, batchLimit)))
{
}

CompletionInbox::~CompletionInbox() = default;

void CompletionInbox::post(std::function<void()> completion, bool first)
{
    bool schedule = false;
    {
        std::lock_guard lock(m_mutex);
        if (first) {
            m_items.push_front(std::move(completion));
        } else {
            m_items.push_back(std::move(completion));
        }
        schedule = !m_scheduled;
        m_scheduled = true;
    }
    // One delivery is under way at a time; everything posted meanwhile rides along with it.
    if (schedule) {
        QMetaObject::invokeMethod(
            &m_context, [this] { deliver(); }, Qt::QueuedConnection);
    }
}

void CompletionInbox::deliver()
{
    if (runBatch(m_batchLimit)) {
        // Events posted while the loop handles its posted events wait for its next pass, after
        // the sockets have had their turn.
        QMetaObject::invokeMethod(
            &m_context, [this] { deliver(); }, Qt::QueuedConnection);
    }
}

bool CompletionInbox::runBatch(std::size_t limit)
{
    std::vector<std::function<void()>> batch;
    bool more = false;
    {
        std::lock_guard lock(m_mutex);
        const std::size_t count = std::min(limit, m_items.size());
        batch.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            batch.push_back(std::move(m_items.front()));
            m_items.pop_front();
        }
        more = !m_items.empty();
        m_scheduled = more;
    }
    for (const std::function<void()>& completion : batch) {
        completion();
    }
    return more;
}

void CompletionInbox::drain()
{
    for (;;) {
        runBatch(m_batchLimit);
        std::lock_guard lock(m_mutex);
        if (m_items.empty()) {
            return;
        }
    }
}

} // namespace quillora
