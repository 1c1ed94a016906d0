#include "Compositor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillora::test {

std::vector<WindowOnScreen> windowsFromScript(const std::optional<QString>& answer)
{
    std::vector<WindowOnScreen> windows;
    if (!answer) {
        return windows;
    }
    for (const QJsonValue value : QJsonDocument::fromJson(answer->toUtf8()).array()) {
        const QJsonObject window = value.toObject();
        const auto at = [&window](const char* key) { return int(window.value(QLatin1String(key)).toDouble()); };
        windows.push_back(WindowOnScreen{
            qint64(window.value(QLatin1String("pid")).toDouble()), window.value(QLatin1String("title")).toString(),
            QRect(at("x"), at("y"), at("width"), at("height")), window.value(QLatin1String("focused")).toBool()});
    }
    return windows;
}

std::optional<WindowOnScreen> Compositor::windowOf(qint64 pid)
{
    for (const WindowOnScreen& window : windows()) {
        if (window.pid == pid) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<qint64> Compositor::focusedPid()
{
    for (const WindowOnScreen& window : windows()) {
        if (window.focused) {
            return window.pid;
        }
    }
    return std::nullopt;
}

} // namespace quillora::test
