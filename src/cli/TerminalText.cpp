#include "cli/TerminalText.h"

namespace quillora {

namespace {

bool isControl(char16_t c)
{
    return (c < 0x20 && c != u'\t' && c != u'\n') || (c >= 0x7f && c <= 0x9f);
}

} // namespace

QString TerminalText::safe(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (isControl(c.unicode())) {
            c = QChar::ReplacementCharacter;
        }
    }
    return result;
}

} // namespace quillora
