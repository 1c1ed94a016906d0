#pragma once

#include "ax/Vocabulary.h"

namespace quillora {

/** An element action name. Each case's raw value is the platform's name ("AX…"); 11 cases. */
enum class Action {
    press,
    increment,
    decrement,
    confirm,
    pick,
    cancel,
    raise,
    showMenu,
    deleteAction, // "AXDelete"; the plain name is a C++ keyword
    showAlternateUI,
    showDefaultUI,
};

template <> struct VocabularyTraits<Action>
{
    /** The raw values, in case order. */
    static std::span<const char* const> rawValues();
};

} // namespace quillora
