#include "platform/linux/wayland/SwayTree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace quillora {

namespace {

// Windows and split containers at one level: tiled ones, then floating ones.
QJsonArray children(const QJsonObject& node)
{
    QJsonArray all = node.value(QLatin1String("nodes")).toArray();
    for (const QJsonValue& floating : node.value(QLatin1String("floating_nodes")).toArray()) {
        all.append(floating);
    }
    return all;
}

std::optional<QJsonObject> findFocused(const QJsonObject& root)
{
    // Depth first without recursion: a hostile or broken reply cannot exhaust the stack.
    QList<QJsonObject> pending{root};
    while (!pending.isEmpty()) {
        const QJsonObject node = pending.takeLast();
        if (node.value(QLatin1String("focused")).toBool()) {
            return node;
        }
        for (const QJsonValue& child : children(node)) {
            pending.append(child.toObject());
        }
    }
    return std::nullopt;
}

// A focused container hands the focus on to the child it lists first in `focus`, down to a view.
std::optional<QJsonObject> descendToView(QJsonObject node)
{
    for (int depth = 0; depth < 256; ++depth) {
        const QJsonArray nested = children(node);
        if (nested.isEmpty()) {
            const QString type = node.value(QLatin1String("type")).toString();
            if (type == QLatin1String("con") || type == QLatin1String("floating_con")) {
                return node;
            }
            return std::nullopt;
        }
        const QJsonValue next = node.value(QLatin1String("focus")).toArray().at(0);
        const auto child = std::find_if(nested.cbegin(), nested.cend(), [&next](const QJsonValue& candidate) {
            return candidate.toObject().value(QLatin1String("id")) == next;
        });
        if (next.isUndefined() || child == nested.cend()) {
            return std::nullopt;
        }
        node = child->toObject();
    }
    return std::nullopt;
}

QRectF rectOf(const QJsonValue& value)
{
    const QJsonObject rect = value.toObject();
    return {rect.value(QLatin1String("x")).toDouble(), rect.value(QLatin1String("y")).toDouble(),
            rect.value(QLatin1String("width")).toDouble(), rect.value(QLatin1String("height")).toDouble()};
}

} // namespace

std::optional<ForeignWindow> SwayTree::focusedWindow(const QByteArray& treeJson)
{
    const QJsonDocument document = QJsonDocument::fromJson(treeJson);
    if (!document.isObject()) {
        return std::nullopt;
    }
    const std::optional<QJsonObject> focused = findFocused(document.object());
    const std::optional<QJsonObject> view = focused ? descendToView(*focused) : std::nullopt;
    if (!view) {
        return std::nullopt;
    }
    const QRectF container = rectOf(view->value(QLatin1String("rect")));
    const QRectF surface = rectOf(view->value(QLatin1String("window_rect")));
    ForeignWindow window;
    window.frame = surface.isEmpty() ? container : surface.translated(container.topLeft());
    window.pid = view->value(QLatin1String("pid")).toInteger(-1);
    window.appId = view->value(QLatin1String("app_id")).toString();
    if (window.appId.isEmpty()) {
        window.appId =
            view->value(QLatin1String("window_properties")).toObject().value(QLatin1String("class")).toString();
    }
    return window;
}

} // namespace quillora
