#include "platform/linux/wayland/KWinScript.h"

#include "core/JsonCoding.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace quillora {

namespace {

// KWin 6 names the active window `activeWindow`, KWin 5 `activeClient`.
constexpr char kScript[] = R"js((function () {
    const window = workspace.activeWindow || workspace.activeClient;
    const cursor = workspace.cursorPos;
    const answer = {token: %3, pointer: {x: cursor.x, y: cursor.y}};
    if (window) {
        const surface = window.bufferGeometry || window.frameGeometry;
        answer.window = {x: surface.x, y: surface.y, width: surface.width, height: surface.height,
                         pid: window.pid, appId: String(window.resourceClass)};
    }
    callDBus(%1, %2, %4, %5, JSON.stringify(answer));
})();
)js";

std::optional<double> number(const QJsonObject& object, QLatin1String key)
{
    const QJsonValue value = object.value(key);
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

} // namespace

QString KWinScript::text(const QString& service, const QString& path, const QString& token)
{
    const auto literal = [](QStringView value) { return QString::fromUtf8(JsonCoding::quoted(value)); };
    return QString::fromUtf8(kScript).arg(literal(service), literal(path), literal(token),
                                          literal(QString::fromLatin1(answerInterface)),
                                          literal(QString::fromLatin1(answerMethod)));
}

std::optional<KWinAnswer> KWinScript::parseAnswer(const QString& json, const QString& token)
{
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    const QJsonObject root = document.object();
    if (token.isEmpty() || root.value(QLatin1String("token")).toString() != token) {
        return std::nullopt;
    }
    const QJsonObject pointer = root.value(QLatin1String("pointer")).toObject();
    const std::optional<double> pointerX = number(pointer, QLatin1String("x"));
    const std::optional<double> pointerY = number(pointer, QLatin1String("y"));
    if (!pointerX || !pointerY) {
        return std::nullopt;
    }
    KWinAnswer answer;
    answer.pointer = QPointF(*pointerX, *pointerY);
    const QJsonObject window = root.value(QLatin1String("window")).toObject();
    const std::optional<double> x = number(window, QLatin1String("x"));
    const std::optional<double> y = number(window, QLatin1String("y"));
    const std::optional<double> width = number(window, QLatin1String("width"));
    const std::optional<double> height = number(window, QLatin1String("height"));
    if (x && y && width && height) {
        answer.window = ForeignWindow{QRectF(*x, *y, *width, *height), window.value(QLatin1String("pid")).toInteger(-1),
                                      window.value(QLatin1String("appId")).toString()};
    }
    return answer;
}

} // namespace quillora
