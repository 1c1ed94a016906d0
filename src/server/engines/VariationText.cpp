#include "server/engines/VariationText.h"

#include <algorithm>

namespace quillora {

QString VariationText::withoutControls(const QString& text)
{
    const auto isControl = [](char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); };
    if (std::none_of(text.cbegin(), text.cend(),
                     [&isControl](QChar c) { return isControl(c.unicode()) && c != u'\t' && c != u'\n'; })) {
        return text;
    }
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r') {
            if (i + 1 == text.size() || text.at(i + 1) != u'\n') {
                clean += u'\n';
            }
        } else if (c == u'\t' || c == u'\n' || !isControl(c)) {
            clean += QChar(c);
        }
    }
    return clean;
}

} // namespace quillora
