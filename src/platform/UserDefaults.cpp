#include "platform/UserDefaults.h"

namespace quillora {

bool UserDefaults::boolValue(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::Bool && value.toBool();
}

QString UserDefaults::string(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

QByteArray UserDefaults::data(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QDateTime UserDefaults::date(const QString& key) const
{
    const QVariant value = object(key);
    return value.typeId() == QMetaType::QDateTime ? value.toDateTime() : QDateTime();
}

QVariant UserDefaults::normalized(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid() ? value : QVariant();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return QVariant::fromValue(value.toLongLong());
    case QMetaType::Float:
        return QVariant::fromValue(value.toDouble());
    default:
        return {};
    }
}

} // namespace quillora
