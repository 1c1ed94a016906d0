#include "core/JsonCoding.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace quillora {

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since 1970-01-01 00:00:00 UTC.
constexpr qint64 kReferenceMSecs = 978307200000;

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// The dates the records accept: the years a four-digit year can show. Wider values would only come
// from a damaged file, and keeping them out spares the local-time conversion absurd inputs.
qint64 earliestMSecs()
{
    static const qint64 value = QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    return value;
}

qint64 latestMSecs()
{
    static const qint64 value = QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC).toMSecsSinceEpoch();
    return value;
}

} // namespace

QString JsonCoding::uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> JsonCoding::uuidFromText(QStringView text)
{
    if (text.size() != 36) {
        return std::nullopt;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphenPosition = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPosition ? text[i] != u'-' : !isHexDigit(text[i])) {
            return std::nullopt;
        }
    }
    return QUuid::fromString(text);
}

double JsonCoding::referenceSeconds(const QDateTime& dateTime)
{
    return static_cast<double>(dateTime.toMSecsSinceEpoch() - kReferenceMSecs) / 1000.0;
}

std::optional<QDateTime> JsonCoding::dateFromReferenceSeconds(double seconds)
{
    if (!std::isfinite(seconds)) {
        return std::nullopt;
    }
    // Compare in doubles first so that the rounding to milliseconds below cannot overflow.
    const double msecs = seconds * 1000.0 + static_cast<double>(kReferenceMSecs);
    if (msecs < static_cast<double>(earliestMSecs()) || msecs > static_cast<double>(latestMSecs())) {
        return std::nullopt;
    }
    const qint64 sinceReference = std::llround(seconds * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(sinceReference + kReferenceMSecs, Qt::LocalTime);
}

QByteArray JsonCoding::quoted(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / 8 + 2);
    out += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char hex[] = "0123456789abcdef";
                out += "\\u00";
                out += hex[(c >> 4) & 0xF];
                out += hex[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

QJsonValue JsonCoding::parse(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        throw JsonDecodingError(
            JsonDecodingError::Kind::dataCorrupted, QString(),
            QStringLiteral("invalid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    }
    if (document.isArray()) {
        return document.array();
    }
    if (document.isObject()) {
        return document.object();
    }
    throw JsonDecodingError(JsonDecodingError::Kind::dataCorrupted, QString(),
                            QStringLiteral("the top level is neither an object nor an array"));
}

QString JsonCoding::keyPath(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + u'.' + key;
}

QString JsonCoding::elementPath(const QString& path, qsizetype index)
{
    return path + u'[' + QString::number(index) + u']';
}

JsonCoding::Reader::Reader(const QJsonValue& value, QString path)
    : m_path(std::move(path))
{
    if (value.isNull()) {
        throw JsonDecodingError(JsonDecodingError::Kind::valueNotFound, m_path,
                                QStringLiteral("expected an object, found null"));
    }
    if (!value.isObject()) {
        throw JsonDecodingError(JsonDecodingError::Kind::typeMismatch, m_path, QStringLiteral("expected an object"));
    }
    m_object = value.toObject();
}

QString JsonCoding::Reader::string(const QString& key) const
{
    return toText(key, required(key));
}

QUuid JsonCoding::Reader::uuid(const QString& key) const
{
    const std::optional<QUuid> uuid = uuidFromText(string(key));
    if (!uuid) {
        throw JsonDecodingError(JsonDecodingError::Kind::dataCorrupted, path(key), QStringLiteral("invalid UUID text"));
    }
    return *uuid;
}

QDateTime JsonCoding::Reader::date(const QString& key) const
{
    const std::optional<QDateTime> date = dateFromReferenceSeconds(number(key));
    if (!date) {
        throw JsonDecodingError(JsonDecodingError::Kind::dataCorrupted, path(key), QStringLiteral("date out of range"));
    }
    return *date;
}

QJsonArray JsonCoding::Reader::array(const QString& key) const
{
    const QJsonValue value = required(key);
    if (!value.isArray()) {
        mismatch(key, "an array");
    }
    return value.toArray();
}

std::optional<QString> JsonCoding::Reader::optionalString(const QString& key) const
{
    const QJsonValue value = present(key);
    if (value.isUndefined()) {
        return std::nullopt;
    }
    return toText(key, value);
}

QJsonObject JsonCoding::Reader::object(const QString& key) const
{
    const QJsonValue value = required(key);
    if (!value.isObject()) {
        mismatch(key, "an object");
    }
    return value.toObject();
}

qint64 JsonCoding::Reader::integer(const QString& key) const
{
    return toInteger(key, required(key));
}

double JsonCoding::Reader::number(const QString& key) const
{
    return toNumber(key, required(key));
}

std::optional<qint64> JsonCoding::Reader::optionalInteger(const QString& key) const
{
    const QJsonValue value = present(key);
    if (value.isUndefined()) {
        return std::nullopt;
    }
    return toInteger(key, value);
}

std::optional<double> JsonCoding::Reader::optionalDouble(const QString& key) const
{
    const QJsonValue value = present(key);
    if (value.isUndefined()) {
        return std::nullopt;
    }
    return toNumber(key, value);
}

QJsonValue JsonCoding::Reader::required(const QString& key) const
{
    const QJsonValue value = m_object.value(key);
    if (value.isUndefined()) {
        throw JsonDecodingError(JsonDecodingError::Kind::keyNotFound, path(key), QStringLiteral("missing key"));
    }
    if (value.isNull()) {
        throw JsonDecodingError(JsonDecodingError::Kind::valueNotFound, path(key),
                                QStringLiteral("null in place of a value"));
    }
    return value;
}

QJsonValue JsonCoding::Reader::present(const QString& key) const
{
    const QJsonValue value = m_object.value(key);
    return value.isNull() ? QJsonValue(QJsonValue::Undefined) : value;
}

QString JsonCoding::Reader::toText(const QString& key, const QJsonValue& value) const
{
    if (!value.isString()) {
        mismatch(key, "a string");
    }
    return value.toString();
}

double JsonCoding::Reader::toNumber(const QString& key, const QJsonValue& value) const
{
    if (!value.isDouble()) {
        mismatch(key, "a number");
    }
    return value.toDouble();
}

qint64 JsonCoding::Reader::toInteger(const QString& key, const QJsonValue& value) const
{
    if (!value.isDouble()) {
        mismatch(key, "an integer");
    }
    // The parser keeps integral literals that fit 64 bits exactly, beyond the 2^53 a double holds.
    // toInteger falls back to its default for a fraction or an out-of-range number, so two
    // different defaults agree only when the number really is a 64-bit integer.
    const qint64 integer = value.toInteger(0);
    if (integer != value.toInteger(1)) {
        mismatch(key, "an integer");
    }
    return integer;
}

void JsonCoding::Reader::mismatch(const QString& key, const char* expected) const
{
    throw JsonDecodingError(JsonDecodingError::Kind::typeMismatch, path(key),
                            QStringLiteral("expected %1").arg(QLatin1String(expected)));
}

} // namespace quillora
