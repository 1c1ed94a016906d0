#include "ax/AXNotification.h"

namespace quillora {

std::span<const char* const> VocabularyTraits<AXNotification>::rawValues()
{
    static constexpr const char* kRawValues[] = {
        "AXMainWindowChanged",
        "AXFocusedWindowChanged",
        "AXFocusedUIElementChanged",
        "AXFocusedTabChanged",
        "AXApplicationActivated",
        "AXApplicationDeactivated",
        "AXApplicationHidden",
        "AXApplicationShown",
        "AXWindowCreated",
        "AXWindowMoved",
        "AXWindowResized",
        "AXWindowMiniaturized",
        "AXWindowDeminiaturized",
        "AXDrawerCreated",
        "AXSheetCreated",
        "AXUIElementDestroyed",
        "AXValueChanged",
        "AXTitleChanged",
        "AXResized",
        "AXMoved",
        "AXCreated",
        "AXLayoutChanged",
        "AXHelpTagCreated",
        "AXSelectedTextChanged",
        "AXRowCountChanged",
        "AXSelectedChildrenChanged",
        "AXSelectedRowsChanged",
        "AXSelectedColumnsChanged",
        "AXLoadComplete",
        "AXRowExpanded",
        "AXRowCollapsed",
        "AXSelectedCellsChanged",
        "AXUnitsChanged",
        "AXSelectedChildrenMoved",
        "AXAnnouncementRequested",
    };
    return kRawValues;
}

} // namespace quillora
