#include "app/HistoryFilter.h"

#include <algorithm>

namespace quillora {

namespace {

// Case folding rather than upper or lower casing, so that "STRASSE" finds "straße" and the
// comparison does not depend on the language the user runs in.
bool containsFolded(const QString& text, const QString& needle)
{
    return text.contains(needle, Qt::CaseInsensitive) ||
           text.toCaseFolded().contains(needle.toCaseFolded(), Qt::CaseInsensitive);
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
