#pragma once

#include <QtGlobal>

namespace quillora {

/**
 * Result code of an accessibility call, with the platform's numeric values. The type is open: a
 * value outside the named ones (such as the toolkit's own menu-item codes) is still a valid code.
 */
enum class AXResult : qint32 {
    Success = 0,
    Failure = -25200,
    IllegalArgument = -25201,
    InvalidUIElement = -25202,
    InvalidUIElementObserver = -25203,
    CannotComplete = -25204,
    AttributeUnsupported = -25205,
    ActionUnsupported = -25206,
    NotificationUnsupported = -25207,
    NotImplemented = -25208,
    NotificationAlreadyRegistered = -25209,
    NotificationNotRegistered = -25210,
    APIDisabled = -25211,
    NoValue = -25212,
    ParameterizedAttributeUnsupported = -25213,
    NotEnoughPrecision = -25214,
};

} // namespace quillora
