#include "core/ErrorRecord.h"

#include <QStringList>

namespace quillora {

Error::Error(const Error&)
    : std::exception()
{
}

Error& Error::operator=(const Error&)
{
    m_what.clear();
    return *this;
}

QString Error::debugDescription() const
{
    return localizedDescription();
}

const char* Error::what() const noexcept
{
    try {
        m_what = debugDescription().toUtf8();
    } catch (...) {
        return "error";
    }
    return m_what.constData();
}

ErrorPtr errorFromException(std::exception_ptr exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const Error& error) {
        return error.clone();
    } catch (const std::exception& other) {
        return std::make_shared<ErrorRecord>(QStringLiteral("std"), 1,
                                             QVariantMap{{kLocalizedDescriptionKey, QString::fromUtf8(other.what())}});
    } catch (...) {
        return std::make_shared<ErrorRecord>(QStringLiteral("std"), 0,
                                             QVariantMap{{kLocalizedDescriptionKey, QStringLiteral("Unknown error")}});
    }
}

ErrorRecord::ErrorRecord(QString domain, qint64 code, QVariantMap userInfo)
    : m_domain(std::move(domain))
    , m_code(code)
    , m_userInfo(std::move(userInfo))
{
}

ErrorPtr ErrorRecord::underlyingError() const
{
    const QVariant value = m_userInfo.value(kUnderlyingErrorKey);
    return value.canConvert<ErrorPtr>() ? value.value<ErrorPtr>() : nullptr;
}

QString ErrorRecord::localizedDescription() const
{
    const QVariant description = m_userInfo.value(kLocalizedDescriptionKey);
    if (description.typeId() == QMetaType::QString) {
        return description.toString();
    }
    return QStringLiteral("The operation couldn’t be completed. (%1 error %2.)").arg(m_domain).arg(m_code);
}

QString ErrorRecord::debugDescription() const
{
    QStringList entries;
    for (auto it = m_userInfo.cbegin(); it != m_userInfo.cend(); ++it) {
        if (it.value().canConvert<ErrorPtr>() && it.value().typeId() == qMetaTypeId<ErrorPtr>()) {
            const ErrorPtr underlying = it.value().value<ErrorPtr>();
            entries << QStringLiteral("%1=%2").arg(it.key(), underlying ? underlying->debugDescription() : QString());
        } else {
            entries << QStringLiteral("%1=%2").arg(it.key(), it.value().toString());
        }
    }
    return QStringLiteral("Error Domain=%1 Code=%2 {%3}")
        .arg(m_domain)
        .arg(m_code)
        .arg(entries.join(QStringLiteral(", ")));
}

ErrorPtr ErrorRecord::clone() const
{
    return std::make_shared<ErrorRecord>(*this);
}

} // namespace quillora
