#pragma once

#include "app/PolishPreset.h"

#include <QList>
#include <QString>

class QByteArray;
class QJsonValue;

namespace quillora {

/** A preset as the backend sends it: {"id": integer, "name": text, "instruction": text}. */
struct BackendPreset
{
    qint64 id = 0;
    QString name;
    QString instruction;

    /** A local preset with a fresh identity, the backend's id as `backendId`, and the same texts. */
    [[nodiscard]] PolishPreset toPreset() const;

    /** Decodes one object found at `path`. Throws `JsonDecodingError` on a missing key or a wrong type. */
    [[nodiscard]] static BackendPreset fromJson(const QJsonValue& json, const QString& path = {});

    /** Decodes a body holding one preset object. Throws `JsonDecodingError`. */
    [[nodiscard]] static BackendPreset decode(const QByteArray& body);

    /** Decodes a body holding an array of preset objects; one bad element fails all. Throws `JsonDecodingError`. */
    [[nodiscard]] static QList<BackendPreset> decodeList(const QByteArray& body);
};

} // namespace quillora
