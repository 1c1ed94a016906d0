#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

/**
 * How the element layer's "AX…" names map onto AT-SPI's: roles, key bindings and notifications.
 * Pure functions over names and numbers; the backend makes the calls.
 */
namespace AtspiVocabulary {

/**
 * The "AX…" role of an AT-SPI role (an `AtspiRole` value). `multiLine` tells a text area from a
 * text field for the text roles. Roles without a counterpart give "AXUnknown".
 */
[[nodiscard]] QString roleName(int atspiRole, bool multiLine);

/** True for the roles of menu items (plain, check and radio items). */
[[nodiscard]] bool isMenuItemRole(int atspiRole);

/**
 * The command character of a menu item's key bindings, as the toolkit matches it: the key of the
 * accelerator held with Control, in upper case. GTK writes its bindings as "mnemonic;menu
 * path;accelerator" (`c;<Alt>e:c;<Primary>c`), Qt as "Ctrl+C". None when no accelerator uses
 * Control or the key is longer than one character.
 */
[[nodiscard]] std::optional<QString> commandCharacter(const QString& keyBindings);

/**
 * The identifier of a standard edit command ("copy:", "paste:", "cut:", "selectAll:") for a
 * command character, so that a menu item found by its accelerator matches like one found by its
 * identifier. None for other characters.
 */
[[nodiscard]] std::optional<QString> standardIdentifier(const QString& commandCharacter);

/**
 * The AT-SPI event types that stand for an "AX…" notification, as libatspi registers them
 * ("object:state-changed:focused", "window:activate", …). Empty when AT-SPI has no counterpart.
 */
[[nodiscard]] QStringList eventTypes(const QString& notification);

/**
 * True when an AT-SPI event of `eventType` with first detail `detail1` stands for `notification`. A
 * focus state that goes to false is the old element losing focus, which is no notification.
 */
[[nodiscard]] bool eventMatches(const QString& notification, const QString& eventType, int detail1);

} // namespace AtspiVocabulary

} // namespace quillora
