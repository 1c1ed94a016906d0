#pragma once

#include "core/Error.h"

#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace quillora {

/**
 * Dictionary keys of error records. The "NS…" names are kept as they are because error records
 * cross into logs and answers that peers read; on Linux they are plain names, no framework's.
 */
inline constexpr auto kLocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr auto kLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";
inline constexpr auto kLocalizedRecoverySuggestionErrorKey = "NSLocalizedRecoverySuggestion";
inline constexpr auto kUnderlyingErrorKey = "NSUnderlyingError";

/**
 * The platform's error record: a domain, an integer code and a dictionary of extra entries. Its
 * localized description is the dictionary's description entry when that holds text, otherwise a
 * generic sentence naming the domain and code. An underlying error is stored in the dictionary as
 * an `ErrorPtr` inside the QVariant.
 */
class ErrorRecord final : public Error
{
public:
    ErrorRecord(QString domain, qint64 code, QVariantMap userInfo = {});

    [[nodiscard]] const QString& domain() const { return m_domain; }
    [[nodiscard]] qint64 code() const { return m_code; }
    [[nodiscard]] const QVariantMap& userInfo() const { return m_userInfo; }

    /** The underlying error under `kUnderlyingErrorKey`, or null when there is none. */
    [[nodiscard]] ErrorPtr underlyingError() const;

    [[nodiscard]] QString localizedDescription() const override;
    [[nodiscard]] ErrorRecord toRecord() const override { return *this; }
    [[nodiscard]] QString debugDescription() const override;
    [[nodiscard]] ErrorPtr clone() const override;

private:
    QString m_domain;
    qint64 m_code = 0;
    QVariantMap m_userInfo;
};

} // namespace quillora

Q_DECLARE_METATYPE(quillora::ErrorPtr)
