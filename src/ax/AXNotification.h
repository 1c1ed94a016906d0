#pragma once

#include "ax/Vocabulary.h"

namespace quillora {

/** An accessibility notification name. Each case's raw value is the platform's name ("AX…"); 35 cases. */
enum class AXNotification {
    mainWindowChanged,
    focusedWindowChanged,
    focusedUIElementChanged,
    focusedTabChanged,
    applicationActivated,
    applicationDeactivated,
    applicationHidden,
    applicationShown,
    windowCreated,
    windowMoved,
    windowResized,
    windowMiniaturized,
    windowDeminiaturized,
    drawerCreated,
    sheetCreated,
    uiElementDestroyed,
    valueChanged,
    titleChanged,
    resized,
    moved,
    created,
    layoutChanged,
    helpTagCreated,
    selectedTextChanged,
    rowCountChanged,
    selectedChildrenChanged,
    selectedRowsChanged,
    selectedColumnsChanged,
    loadComplete,
    rowExpanded,
    rowCollapsed,
    selectedCellsChanged,
    unitsChanged,
    selectedChildrenMoved,
    announcementRequested,
};

template <> struct VocabularyTraits<AXNotification>
{
    /** The raw values, in case order. */
    static std::span<const char* const> rawValues();
};

} // namespace quillora
