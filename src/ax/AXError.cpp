#include "ax/AXError.h"

#include "core/ErrorRecord.h"

namespace quillora {

QString AXError::name(AXResult code)
{
    switch (code) {
    case AXResult::Success:
        return QStringLiteral("Success");
    case AXResult::Failure:
        return QStringLiteral("Failure");
    case AXResult::IllegalArgument:
        return QStringLiteral("IllegalArgument");
    case AXResult::InvalidUIElement:
        return QStringLiteral("InvalidUIElement");
    case AXResult::InvalidUIElementObserver:
        return QStringLiteral("InvalidUIElementObserver");
    case AXResult::CannotComplete:
        return QStringLiteral("CannotComplete");
    case AXResult::AttributeUnsupported:
        return QStringLiteral("AttributeUnsupported");
    case AXResult::ActionUnsupported:
        return QStringLiteral("ActionUnsupported");
    case AXResult::NotificationUnsupported:
        return QStringLiteral("NotificationUnsupported");
    case AXResult::NotImplemented:
        return QStringLiteral("NotImplemented");
    case AXResult::NotificationAlreadyRegistered:
        return QStringLiteral("NotificationAlreadyRegistered");
    case AXResult::NotificationNotRegistered:
        return QStringLiteral("NotificationNotRegistered");
    case AXResult::APIDisabled:
        return QStringLiteral("APIDisabled");
    case AXResult::NoValue:
        return QStringLiteral("NoValue");
    case AXResult::ParameterizedAttributeUnsupported:
        return QStringLiteral("ParameterizedAttributeUnsupported");
    case AXResult::NotEnoughPrecision:
        return QStringLiteral("NotEnoughPrecision");
    }
    return QStringLiteral("<Unknown>");
}

QString AXError::localizedDescription() const
{
    return QStringLiteral("The operation couldn’t be completed. (%1 error %2.)")
        .arg(QString::fromLatin1(kDomain))
        .arg(errorCode());
}

ErrorRecord AXError::toRecord() const
{
    return ErrorRecord(QString::fromLatin1(kDomain), errorCode(), {{kLocalizedDescriptionKey, localizedDescription()}});
}

QString AXError::debugDescription() const
{
    return QStringLiteral("AXError.") + name(m_code);
}

ErrorPtr AXError::clone() const
{
    return std::make_shared<AXError>(*this);
}

} // namespace quillora
