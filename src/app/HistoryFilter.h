#pragma once

#include "app/HistoryItem.h"

#include <QList>
#include <QString>

namespace quillora {

/** The search of the history browser. */
class HistoryFilter final
{
public:
    HistoryFilter() = delete;

    /**
     * The items to show for `searchText`, in stored order: all of them when the text is empty (a
     * space is not empty), else those whose original text or any variation's content contains the
     * text, ignoring case. Preset names, the model and the date are not searched.
     */
    [[nodiscard]] static QList<HistoryItem> filteredItems(const QList<HistoryItem>& items, const QString& searchText);

    /** True when `item` matches a non-empty `searchText` as `filteredItems` decides. */
    [[nodiscard]] static bool matches(const HistoryItem& item, const QString& searchText);
};

} // namespace quillora
