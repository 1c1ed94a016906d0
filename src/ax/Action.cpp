#include "ax/Action.h"

namespace quillora {

std::span<const char* const> VocabularyTraits<Action>::rawValues()
{
    static constexpr const char* kRawValues[] = {
        "AXPress", "AXIncrement", "AXDecrement", "AXConfirm",         "AXPick",          "AXCancel",
        "AXRaise", "AXShowMenu",  "AXDelete",    "AXShowAlternateUI", "AXShowDefaultUI",
    };
    return kRawValues;
}

} // namespace quillora
