#pragma once

#include "ax/Vocabulary.h"

namespace quillora {

/** An element role. Each case's raw value is the platform's name ("AX…"); 56 cases. */
enum class Role {
    unknown,
    button,
    radioButton,
    checkBox,
    slider,
    tabGroup,
    textField,
    staticText,
    textArea,
    scrollArea,
    popUpButton,
    menuButton,
    table,
    application,
    group,
    radioGroup,
    list,
    scrollBar,
    valueIndicator,
    image,
    menuBar,
    menu,
    menuItem,
    menuBarItem,
    column,
    row,
    toolbar,
    busyIndicator,
    progressIndicator,
    window,
    drawer,
    systemWide,
    outline,
    incrementor,
    browser,
    comboBox,
    splitGroup,
    splitter,
    colorWell,
    growArea,
    sheet,
    helpTag,
    matte,
    ruler,
    rulerMarker,
    link,
    disclosureTriangle,
    grid,
    relevanceIndicator,
    levelIndicator,
    cell,
    popover,
    layoutArea,
    layoutItem,
    handle,
    webArea,
};

template <> struct VocabularyTraits<Role>
{
    /** The raw values, in case order. */
    static std::span<const char* const> rawValues();
};

} // namespace quillora
