#pragma once

#include "platform/UserDefaults.h"

#include <QMap>

namespace quillora {

/** User defaults held in memory. */
class SimUserDefaults final : public UserDefaults
{
public:
    [[nodiscard]] QVariant object(const QString& key) const override;
    bool set(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    void removeDomain() override;

    /** Every stored key, sorted. */
    [[nodiscard]] QStringList keys() const { return m_values.keys(); }

private:
    QMap<QString, QVariant> m_values;
};

} // namespace quillora
