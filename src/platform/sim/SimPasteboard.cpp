#include "platform/sim/SimPasteboard.h"

namespace quillora {

qint64 SimPasteboard::changeCount() const
{
    std::lock_guard lock(m_mutex);
    ++m_changeCountReads;
    return m_changeCount;
}

QList<PasteboardItem> SimPasteboard::items() const
{
    std::lock_guard lock(m_mutex);
    return m_items;
}

void SimPasteboard::clearContents()
{
    std::unique_lock lock(m_mutex);
    m_items.clear();
    changed(lock);
}

bool SimPasteboard::writeItems(const QList<PasteboardItem>& items)
{
    std::unique_lock lock(m_mutex);
    if (m_refusesWrites) {
        return false;
    }
    for (const PasteboardItem& item : items) {
        PasteboardItem stored;
        for (const auto& [type, data] : item.entries) {
            if (data) {
                stored.entries.append({type, data});
            }
        }
        m_items.append(stored);
    }
    changed(lock);
    return true;
}

std::optional<QString> SimPasteboard::string() const
{
    std::lock_guard lock(m_mutex);
    for (const PasteboardItem& item : m_items) {
        for (const auto& [type, data] : item.entries) {
            if (type == QLatin1String(kPlainTextType) && data) {
                return QString::fromUtf8(*data);
            }
        }
    }
    return std::nullopt;
}

bool SimPasteboard::setString(const QString& text)
{
    std::unique_lock lock(m_mutex);
    if (m_refusesWrites) {
        return false;
    }
    // Text set on a pasteboard that already holds an item joins that item, replacing any text.
    if (m_items.isEmpty()) {
        m_items.append(PasteboardItem());
    }
    auto& entries = m_items.first().entries;
    entries.removeIf([](const auto& entry) { return entry.first == QLatin1String(kPlainTextType); });
    entries.append({QString::fromLatin1(kPlainTextType), text.toUtf8()});
    changed(lock);
    return true;
}

void SimPasteboard::setItems(const QList<PasteboardItem>& items)
{
    std::unique_lock lock(m_mutex);
    m_items = items;
    changed(lock);
}

void SimPasteboard::setRefusesWrites(bool refuses)
{
    std::lock_guard lock(m_mutex);
    m_refusesWrites = refuses;
}

void SimPasteboard::addChangeListener(std::function<void()> listener)
{
    std::lock_guard lock(m_mutex);
    m_listeners.push_back(std::move(listener));
}

int SimPasteboard::changeCountReads() const
{
    std::lock_guard lock(m_mutex);
    return m_changeCountReads;
}

void SimPasteboard::changed(std::unique_lock<std::mutex>& lock)
{
    ++m_changeCount;
    // Listeners may read the pasteboard, so they run outside the lock.
    const std::vector<std::function<void()>> listeners = m_listeners;
    lock.unlock();
    for (const auto& listener : listeners) {
        listener();
    }
}

} // namespace quillora
