#pragma once

#include "ax/Vocabulary.h"

namespace quillora {

/** An element subrole. Each case's raw value is the platform's name ("AX…"); 29 cases. */
enum class Subrole {
    unknown,
    closeButton,
    zoomButton,
    minimizeButton,
    toolbarButton,
    tableRow,
    outlineRow,
    secureTextField,
    standardWindow,
    dialog,
    systemDialog,
    floatingWindow,
    systemFloatingWindow,
    incrementArrow,
    decrementArrow,
    incrementPage,
    decrementPage,
    searchField,
    textAttachment,
    textLink,
    timeline,
    sortButton,
    ratingIndicator,
    contentList,
    definitionList,
    fullScreenButton,
    toggle,
    switchSubrole,
    descriptionList,
};

template <> struct VocabularyTraits<Subrole>
{
    /** The raw values, in case order. */
    static std::span<const char* const> rawValues();
};

} // namespace quillora
