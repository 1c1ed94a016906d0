#include "app/HistoryFilter.h"

#include <algorithm>

namespace quillora {

namespace {

// Simple case folding first; then full upper casing, which also matches letters whose other case
// is longer, so that "STRASSE" finds "Straße".
bool containsFolded(const QString& text, const QString& needle)
{
    return text.contains(needle, Qt::CaseInsensitive) || text.toUpper().contains(needle.toUpper());
}

} // namespace

bool HistoryFilter::matches(const HistoryItem& item, const QString& searchText)
{
    return containsFolded(item.originalText, searchText) ||
           std::any_of(
               item.polishedResults.cbegin(), item.polishedResults.cend(),
               [&searchText](const PolishedResult& result) { return containsFolded(result.content, searchText); });
}

QList<HistoryItem> HistoryFilter::filteredItems(const QList<HistoryItem>& items, const QString& searchText)
{
    if (searchText.isEmpty()) {
        return items;
    }
    QList<HistoryItem> kept;
    std::copy_if(items.cbegin(), items.cend(), std::back_inserter(kept),
                 [&searchText](const HistoryItem& item) { return matches(item, searchText); });
    return kept;
}

} // namespace quillora
