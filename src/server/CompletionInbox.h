#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace quillora {

/**
 * Hands work finished on other threads back to the thread that made the inbox. What is posted
 * runs on that thread's event loop, at most `batchLimit` items per pass of the loop: a burst of
 * completions then takes several passes, and the loop reads its sockets between them, so a
 * health check is not kept waiting behind hundreds of finished upstream calls.
 */
class CompletionInbox final
{
public:
    explicit CompletionInbox(int batchLimit = 32);
    CompletionInbox(const CompletionInbox&) = delete;
    CompletionInbox& operator=(const CompletionInbox&) = delete;
    /** Whatever is still posted is dropped unrun; `drain` first when it matters. */
    ~CompletionInbox();

    /**
     * Runs `completion` on the owner thread soon; with `first`, ahead of what is already waiting.
     * Safe from any thread; never fails.
     */
    void post(std::function<void()> completion, bool first = false);

    /** On the owner thread: runs everything posted so far, and what that posts, before returning. */
    void drain();

private:
    void deliver();
    bool runBatch(std::size_t limit);

    const std::size_t m_batchLimit;
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_items;
    bool m_scheduled = false;
    /** Receives the posted deliveries; they are dropped with it. */
    QObject m_context;
};

} // namespace quillora
