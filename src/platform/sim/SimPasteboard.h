#pragma once

#include "platform/Pasteboard.h"

#include <functional>
#include <mutex>
#include <vector>

namespace quillora {

/**
 * The simulated desktop's pasteboard: items kept in memory, a change count that moves on every
 * write (clearing, writing items, setting text), and a control surface for tests. Safe to use
 * from any thread; listeners run on the writing thread, after the write.
 */
class SimPasteboard final : public Pasteboard
{
public:
    [[nodiscard]] qint64 changeCount() const override;
    [[nodiscard]] QList<PasteboardItem> items() const override;
    void clearContents() override;
    [[nodiscard]] bool writeItems(const QList<PasteboardItem>& items) override;
    [[nodiscard]] std::optional<QString> string() const override;
    bool setString(const QString& text) override;

    // Control surface for tests and demos.

    /** Replaces the contents with `items` as another application would (one write). */
    void setItems(const QList<PasteboardItem>& items);

    /** Makes item and text writes fail (clearing still works), as a pasteboard that refuses them. */
    void setRefusesWrites(bool refuses);

    /** Called after every change, for example by the simulated apps that enable their Paste item. */
    void addChangeListener(std::function<void()> listener);

    /** How often `changeCount()` was read: each read is one look at the pasteboard. */
    [[nodiscard]] int changeCountReads() const;

private:
    void changed(std::unique_lock<std::mutex>& lock);

    mutable std::mutex m_mutex;
    QList<PasteboardItem> m_items;
    qint64 m_changeCount = 0;
    mutable int m_changeCountReads = 0;
    bool m_refusesWrites = false;
    std::vector<std::function<void()>> m_listeners;
};

} // namespace quillora
