#pragma once

#include "core/JsonDecodingError.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class QByteArray;

namespace quillora {

/**
 * The JSON forms the records share, and strict reading. UUIDs are written as upper-case canonical
 * text; dates as seconds, with fraction, since 2001-01-01 00:00:00 UTC (the reference date of the
 * stored history's format, which files written before rely on); integers as JSON integers.
 * Reading is strict: a missing required key, a null where a value is required or a value of the
 * wrong JSON type throws `JsonDecodingError`; a missing or null optional is absent; other keys are
 * ignored.
 */
class JsonCoding final
{
public:
    JsonCoding() = delete;

    /** The canonical text of `uuid`: 36 characters, upper-case hexadecimal, groups 8-4-4-4-12. */
    [[nodiscard]] static QString uuidText(const QUuid& uuid);

    /** Reads canonical UUID text in either letter case; none for any other text (braces included). */
    [[nodiscard]] static std::optional<QUuid> uuidFromText(QStringView text);

    /** Seconds, with fraction, from 2001-01-01 00:00:00 UTC to `dateTime`. */
    [[nodiscard]] static double referenceSeconds(const QDateTime& dateTime);

    /**
     * The local date-time `seconds` after 2001-01-01 00:00:00 UTC, to the millisecond; none when
     * `seconds` is not finite or falls outside the years 1 to 9999.
     */
    [[nodiscard]] static std::optional<QDateTime> dateFromReferenceSeconds(double seconds);

    /** Parses JSON text whose top level is an object or an array. Throws `JsonDecodingError` otherwise. */
    [[nodiscard]] static QJsonValue parse(const QByteArray& json);

    /**
     * `text` as a JSON string literal in UTF-8, quotes included, for writing JSON by hand where
     * building a document would cost more than the work it describes.
     */
    [[nodiscard]] static QByteArray quoted(QStringView text);

    /** The coding path of `key` inside the value at `path`. */
    [[nodiscard]] static QString keyPath(const QString& path, const QString& key);

    /** The coding path of element `index` of the array at `path`. */
    [[nodiscard]] static QString elementPath(const QString& path, qsizetype index);

    /** A JSON array of the records' objects, in list order. */
    template <typename Record> [[nodiscard]] static QJsonArray encodeArray(const QList<Record>& records)
    {
        QJsonArray array;
        for (const Record& record : records) {
            array.append(record.toJson());
        }
        return array;
    }

    /**
     * Decodes `value` as an array of records with `Record::fromJson`, keeping the order. Throws
     * `JsonDecodingError` when `value` is not an array or any element fails: one bad element fails
     * the whole list.
     */
    template <typename Record>
    [[nodiscard]] static QList<Record> decodeArray(const QJsonValue& value, const QString& path = {})
    {
        if (!value.isArray()) {
            throw JsonDecodingError(JsonDecodingError::Kind::typeMismatch, path, QStringLiteral("expected an array"));
        }
        const QJsonArray array = value.toArray();
        QList<Record> records;
        records.reserve(array.size());
        for (qsizetype index = 0; index < array.size(); ++index) {
            records.append(Record::fromJson(array.at(index), elementPath(path, index)));
        }
        return records;
    }

    /** Strict typed access to the keys of one JSON object. Every accessor throws `JsonDecodingError`. */
    class Reader final
    {
    public:
        /** Reads `value`, found at `path`, as an object; throws a type mismatch when it is not one. */
        Reader(const QJsonValue& value, QString path);

        [[nodiscard]] QString string(const QString& key) const;
        [[nodiscard]] QUuid uuid(const QString& key) const;
        [[nodiscard]] QDateTime date(const QString& key) const;
        [[nodiscard]] QJsonArray array(const QString& key) const;
        [[nodiscard]] QJsonObject object(const QString& key) const;

        /** The key's integer; a number with a fraction or outside the signed 64-bit range is a type mismatch. */
        [[nodiscard]] qint64 integer(const QString& key) const;

        /** The key's number. */
        [[nodiscard]] double number(const QString& key) const;

        /** The key's text; none when the key is missing or null. */
        [[nodiscard]] std::optional<QString> optionalString(const QString& key) const;

        /**
         * The key's integer; none when the key is missing or null. A number with a fraction or
         * outside the signed 64-bit range is a type mismatch.
         */
        [[nodiscard]] std::optional<qint64> optionalInteger(const QString& key) const;

        /** The key's number; none when the key is missing or null. */
        [[nodiscard]] std::optional<double> optionalDouble(const QString& key) const;

        /** The coding path of `key` inside this object. */
        [[nodiscard]] QString path(const QString& key) const { return keyPath(m_path, key); }

    private:
        QJsonValue required(const QString& key) const;
        QJsonValue present(const QString& key) const;
        QString toText(const QString& key, const QJsonValue& value) const;
        double toNumber(const QString& key, const QJsonValue& value) const;
        qint64 toInteger(const QString& key, const QJsonValue& value) const;
        [[noreturn]] void mismatch(const QString& key, const char* expected) const;

        QJsonObject m_object;
        QString m_path;
    };
};

} // namespace quillora
