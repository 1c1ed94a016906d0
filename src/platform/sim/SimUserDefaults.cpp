#include "platform/sim/SimUserDefaults.h"

namespace quillora {

QVariant SimUserDefaults::object(const QString& key) const
{
    return m_values.value(key);
}

bool SimUserDefaults::set(const QString& key, const QVariant& value)
{
    const QVariant stored = normalized(value);
    if (!stored.isValid()) {
        return false;
    }
    m_values.insert(key, stored);
    return true;
}

void SimUserDefaults::remove(const QString& key)
{
    m_values.remove(key);
}

void SimUserDefaults::removeDomain()
{
    m_values.clear();
}

} // namespace quillora
