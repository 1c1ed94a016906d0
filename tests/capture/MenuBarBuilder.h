#pragma once

#include "platform/sim/SimAccessibility.h"

#include <QStringList>

#include <optional>

namespace quillora::test {

/** One menu item of a simulated menu. */
struct MenuItem
{
    QString title;
    std::optional<QString> identifier;
    std::optional<QString> cmdChar;
    std::optional<bool> enabled = true;
};

/** Adds a menu bar to `app` with one menu per title; each menu bar item holds an "AXMenu". */
inline SimElement addMenuBar(const SimElement& app, const QStringList& menuTitles)
{
    const SimElement bar = app.child(QStringLiteral("AXMenuBar"));
    for (const QString& title : menuTitles) {
        bar.child(QStringLiteral("AXMenuBarItem"), {{"AXTitle", title}}).child(QStringLiteral("AXMenu"));
    }
    return bar;
}

/** The "AXMenu" of the menu bar's menu at `index`. */
inline SimElement menuAt(const SimElement& bar, int index)
{
    return bar.children().at(index).children().at(0);
}

/** Adds an item to `menu`; absent fields are left unset. */
inline SimElement addItem(const SimElement& menu, const MenuItem& item)
{
    const SimElement element = menu.child(QStringLiteral("AXMenuItem"), {{"AXTitle", item.title}});
    if (item.identifier) {
        element.set(QStringLiteral("AXIdentifier"), *item.identifier);
    }
    if (item.cmdChar) {
        element.set(QStringLiteral("AXMenuItemCmdChar"), *item.cmdChar);
    }
    if (item.enabled) {
        element.set(QStringLiteral("AXEnabled"), *item.enabled);
    }
    return element.addAction(QStringLiteral("AXPress"));
}

} // namespace quillora::test
