#include "platform/Pasteboard.h"

namespace quillora {

std::optional<QByteArray> Pasteboard::dataForType(const QString& type) const
{
    const QList<PasteboardItem> all = items();
    if (all.isEmpty()) {
        return std::nullopt;
    }
    for (const auto& [entryType, data] : all.constFirst().entries) {
        if (entryType == type) {
            return data;
        }
    }
    return std::nullopt;
}

} // namespace quillora
