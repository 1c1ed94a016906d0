#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace quillora {

/**
 * The user-defaults store of the application's domain: typed values under fixed keys. Stored
 * types are bool, qint64, double, QString, QByteArray and QDateTime; `object` returns the value with
 * its type as stored. Writes are kept across restarts by the real backend.
 */
class UserDefaults
{
public:
    UserDefaults() = default;
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;
    virtual ~UserDefaults() = default;

    /** The stored value with its type, or an invalid QVariant when the key is absent. */
    [[nodiscard]] virtual QVariant object(const QString& key) const = 0;

    /**
     * Stores `value` under `key`. Ints are stored as qint64; other types than the stored ones are
     * refused (nothing is written and false is returned).
     */
    virtual bool set(const QString& key, const QVariant& value) = 0;

    /** Removes the key; nothing happens when it is absent. */
    virtual void remove(const QString& key) = 0;

    /** Removes every key of the application's domain. */
    virtual void removeDomain() = 0;

    /** The bool under `key`; false when absent or of another type. */
    [[nodiscard]] bool boolValue(const QString& key) const;

    /** The text under `key`; a null string when absent or of another type. */
    [[nodiscard]] QString string(const QString& key) const;

    /** The bytes under `key`; a null array when absent or of another type. */
    [[nodiscard]] QByteArray data(const QString& key) const;

    /** The date under `key`; an invalid date when absent or of another type. */
    [[nodiscard]] QDateTime date(const QString& key) const;

    /** True when a value of any type is stored under `key`. */
    [[nodiscard]] bool contains(const QString& key) const { return object(key).isValid(); }

    /** The value normalised to a stored type, or an invalid QVariant for a type that cannot be stored. */
    [[nodiscard]] static QVariant normalized(const QVariant& value);
};

} // namespace quillora
