#include "capture/ScriptEscaping.h"

namespace quillora {

QString escapedForJavaScriptString(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        switch (character.unicode()) {
        case u'\\':
            escaped += QLatin1String("\\\\");
            break;
        case u'\'':
            escaped += QLatin1String("\\'");
            break;
        case u'\n':
            escaped += QLatin1String("\\n");
            break;
        case u'\r':
            escaped += QLatin1String("\\r");
            break;
        // Line and paragraph separators end a string literal in older JavaScript engines.
        case 0x2028:
            escaped += QLatin1String("\\u2028");
            break;
        case 0x2029:
            escaped += QLatin1String("\\u2029");
            break;
        default:
            escaped += character;
        }
    }
    return escaped;
}

QString escapedForAppleScriptString(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar character : text) {
        if (character == u'\\' || character == u'"') {
            escaped += u'\\';
        }
        escaped += character;
    }
    return escaped;
}

} // namespace quillora
