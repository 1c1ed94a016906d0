#include "ax/Subrole.h"

namespace quillora {

std::span<const char* const> VocabularyTraits<Subrole>::rawValues()
{
    static constexpr const char* kRawValues[] = {
        "AXUnknown",
        "AXCloseButton",
        "AXZoomButton",
        "AXMinimizeButton",
        "AXToolbarButton",
        "AXTableRow",
        "AXOutlineRow",
        "AXSecureTextField",
        "AXStandardWindow",
        "AXDialog",
        "AXSystemDialog",
        "AXFloatingWindow",
        "AXSystemFloatingWindow",
        "AXIncrementArrow",
        "AXDecrementArrow",
        "AXIncrementPage",
        "AXDecrementPage",
        "AXSearchField",
        "AXTextAttachment",
        "AXTextLink",
        "AXTimeline",
        "AXSortButton",
        "AXRatingIndicator",
        "AXContentList",
        "AXDefinitionList",
        "AXFullScreenButton",
        "AXToggle",
        "AXSwitch",
        "AXDescriptionList",
    };
    return kRawValues;
}

} // namespace quillora
