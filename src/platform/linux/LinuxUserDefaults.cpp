#include "platform/linux/LinuxUserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace quillora {

namespace {

// Each value is stored as a one-member object naming its type, so that a bool stays a bool and an
// integer stays an integer across restarts (plain INI files give every value back as text).
QJsonValue encodeValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return QJsonObject{{QStringLiteral("bool"), value.toBool()}};
    case QMetaType::LongLong:
        return QJsonObject{{QStringLiteral("int"), QString::number(value.toLongLong())}};
    case QMetaType::Double:
        return QJsonObject{{QStringLiteral("double"), value.toDouble()}};
    case QMetaType::QString:
        return QJsonObject{{QStringLiteral("string"), value.toString()}};
    case QMetaType::QByteArray:
        return QJsonObject{{QStringLiteral("data"), QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QDateTime:
        return QJsonObject{{QStringLiteral("date"), value.toDateTime().toUTC().toString(Qt::ISODateWithMs)}};
    default:
        return QJsonValue();
    }
}

QVariant decodeValue(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    if (object.size() != 1) {
        return {};
    }
    const QString type = object.begin().key();
    const QJsonValue value = object.begin().value();
    if (type == QLatin1String("bool") && value.isBool()) {
        return value.toBool();
    }
    if (type == QLatin1String("int") && value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok);
        return ok ? QVariant::fromValue(number) : QVariant();
    }
    if (type == QLatin1String("double") && value.isDouble()) {
        return value.toDouble();
    }
    if (type == QLatin1String("string") && value.isString()) {
        return value.toString();
    }
    if (type == QLatin1String("data") && value.isString()) {
        return QByteArray::fromBase64(value.toString().toLatin1());
    }
    if (type == QLatin1String("date") && value.isString()) {
        const QDateTime date = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
        return date.isValid() ? QVariant(date.toLocalTime()) : QVariant();
    }
    return {};
}

bool readJson(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty()) {
        return true;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return false;
    }
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QVariant value = decodeValue(it.value());
        if (value.isValid()) {
            map.insert(it.key(), value);
        }
    }
    return true;
}

bool writeJson(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject root;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QJsonValue value = encodeValue(it.value());
        if (!value.isNull()) {
            root.insert(it.key(), value);
        }
    }
    return device.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) >= 0;
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(QStringLiteral("json"), readJson, writeJson);
    return format;
}

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

LinuxUserDefaults::LinuxUserDefaults(const QString& filePath)
{
    const QString path = filePath.isEmpty() ? standardFilePath() : filePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Create the file owner-only before the first write: the settings writer keeps the permissions
    // of an existing file, so the tokens are never readable by others, not even briefly.
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.close();
        }
    }
    QFile::setPermissions(path, kOwnerOnly);
    m_settings = std::make_unique<QSettings>(path, jsonFormat());
}

LinuxUserDefaults::~LinuxUserDefaults() = default;

QString LinuxUserDefaults::standardFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/com.tessel.quillora/defaults.json");
}

QString LinuxUserDefaults::filePath() const
{
    return m_settings->fileName();
}

QVariant LinuxUserDefaults::object(const QString& key) const
{
    return m_settings->value(key);
}

bool LinuxUserDefaults::set(const QString& key, const QVariant& value)
{
    const QVariant stored = normalized(value);
    if (!stored.isValid()) {
        return false;
    }
    m_settings->setValue(key, stored);
    flush();
    return true;
}

void LinuxUserDefaults::remove(const QString& key)
{
    m_settings->remove(key);
    flush();
}

void LinuxUserDefaults::removeDomain()
{
    m_settings->clear();
    flush();
}

void LinuxUserDefaults::flush()
{
    m_settings->sync();
    QFile::setPermissions(m_settings->fileName(), kOwnerOnly);
}

} // namespace quillora
