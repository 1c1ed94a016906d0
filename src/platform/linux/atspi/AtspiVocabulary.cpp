#include "platform/linux/atspi/AtspiVocabulary.h"

#include <QHash>

#include <algorithm>

#include <atspi/atspi.h>

namespace quillora::AtspiVocabulary {

namespace {

// Roles whose element holds editable or selectable text; the multi-line state tells an area from a field.
bool isTextRole(int role)
{
    switch (role) {
    case ATSPI_ROLE_TEXT:
    case ATSPI_ROLE_ENTRY:
    case ATSPI_ROLE_PASSWORD_TEXT:
    case ATSPI_ROLE_DOCUMENT_TEXT:
    case ATSPI_ROLE_EDITBAR:
    case ATSPI_ROLE_TERMINAL:
        return true;
    default:
        return false;
    }
}

const QHash<int, QString>& roleTable()
{
    static const QHash<int, QString> table{
        {ATSPI_ROLE_APPLICATION, QStringLiteral("AXApplication")},
        {ATSPI_ROLE_DESKTOP_FRAME, QStringLiteral("AXSystemWide")},
        {ATSPI_ROLE_FRAME, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_WINDOW, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_DIALOG, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_ALERT, QStringLiteral("AXWindow")},
        {ATSPI_ROLE_MENU_BAR, QStringLiteral("AXMenuBar")},
        {ATSPI_ROLE_MENU, QStringLiteral("AXMenu")},
        {ATSPI_ROLE_POPUP_MENU, QStringLiteral("AXMenu")},
        {ATSPI_ROLE_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_CHECK_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_RADIO_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_TEAROFF_MENU_ITEM, QStringLiteral("AXMenuItem")},
        {ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("AXButton")},
        {ATSPI_ROLE_PUSH_BUTTON_MENU, QStringLiteral("AXMenuButton")},
        {ATSPI_ROLE_TOGGLE_BUTTON, QStringLiteral("AXCheckBox")},
        {ATSPI_ROLE_CHECK_BOX, QStringLiteral("AXCheckBox")},
        {ATSPI_ROLE_RADIO_BUTTON, QStringLiteral("AXRadioButton")},
        {ATSPI_ROLE_COMBO_BOX, QStringLiteral("AXComboBox")},
        {ATSPI_ROLE_LABEL, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_STATIC, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_PARAGRAPH, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_HEADING, QStringLiteral("AXStaticText")},
        {ATSPI_ROLE_SCROLL_PANE, QStringLiteral("AXScrollArea")},
        {ATSPI_ROLE_SCROLL_BAR, QStringLiteral("AXScrollBar")},
        {ATSPI_ROLE_SLIDER, QStringLiteral("AXSlider")},
        {ATSPI_ROLE_LIST, QStringLiteral("AXList")},
        {ATSPI_ROLE_LIST_BOX, QStringLiteral("AXList")},
        {ATSPI_ROLE_TABLE, QStringLiteral("AXTable")},
        {ATSPI_ROLE_TREE_TABLE, QStringLiteral("AXOutline")},
        {ATSPI_ROLE_TREE, QStringLiteral("AXOutline")},
        {ATSPI_ROLE_TABLE_ROW, QStringLiteral("AXRow")},
        {ATSPI_ROLE_TABLE_CELL, QStringLiteral("AXCell")},
        {ATSPI_ROLE_TOOL_BAR, QStringLiteral("AXToolbar")},
        {ATSPI_ROLE_PROGRESS_BAR, QStringLiteral("AXProgressIndicator")},
        {ATSPI_ROLE_IMAGE, QStringLiteral("AXImage")},
        {ATSPI_ROLE_ICON, QStringLiteral("AXImage")},
        {ATSPI_ROLE_LINK, QStringLiteral("AXLink")},
        {ATSPI_ROLE_PAGE_TAB_LIST, QStringLiteral("AXTabGroup")},
        {ATSPI_ROLE_SPLIT_PANE, QStringLiteral("AXSplitGroup")},
        {ATSPI_ROLE_DOCUMENT_WEB, QStringLiteral("AXWebArea")},
        {ATSPI_ROLE_DOCUMENT_FRAME, QStringLiteral("AXWebArea")},
        {ATSPI_ROLE_PANEL, QStringLiteral("AXGroup")},
        {ATSPI_ROLE_FILLER, QStringLiteral("AXGroup")},
        {ATSPI_ROLE_SECTION, QStringLiteral("AXGroup")},
        {ATSPI_ROLE_GROUPING, QStringLiteral("AXGroup")},
        {ATSPI_ROLE_FORM, QStringLiteral("AXGroup")},
    };
    return table;
}

struct NotificationEvents
{
    const char* notification;
    QStringList eventTypes;
};

const QList<NotificationEvents>& notificationTable()
{
    static const QList<NotificationEvents> table{
        {"AXFocusedUIElementChanged", {QStringLiteral("object:state-changed:focused")}},
        {"AXSelectedTextChanged", {QStringLiteral("object:text-selection-changed")}},
        {"AXValueChanged",
         {QStringLiteral("object:text-changed:insert"), QStringLiteral("object:text-changed:delete"),
          QStringLiteral("object:property-change:accessible-value")}},
        {"AXTitleChanged", {QStringLiteral("object:property-change:accessible-name")}},
        {"AXFocusedWindowChanged", {QStringLiteral("window:activate")}},
        {"AXMainWindowChanged", {QStringLiteral("window:activate")}},
        {"AXApplicationActivated", {QStringLiteral("window:activate")}},
        {"AXApplicationDeactivated", {QStringLiteral("window:deactivate")}},
        {"AXWindowCreated", {QStringLiteral("window:create")}},
        {"AXWindowMiniaturized", {QStringLiteral("window:minimize")}},
        {"AXWindowDeminiaturized", {QStringLiteral("window:restore")}},
        {"AXWindowMoved", {QStringLiteral("window:move")}},
        {"AXWindowResized", {QStringLiteral("window:resize")}},
        {"AXUIElementDestroyed", {QStringLiteral("window:destroy")}},
        {"AXSelectedChildrenChanged", {QStringLiteral("object:selection-changed")}},
        {"AXLayoutChanged", {QStringLiteral("object:children-changed")}},
        {"AXAnnouncementRequested", {QStringLiteral("object:announcement")}},
    };
    return table;
}

} // namespace

QString roleName(int atspiRole, bool multiLine)
{
    if (isTextRole(atspiRole)) {
        return multiLine ? QStringLiteral("AXTextArea") : QStringLiteral("AXTextField");
    }
    return roleTable().value(atspiRole, QStringLiteral("AXUnknown"));
}

bool isMenuItemRole(int atspiRole)
{
    return atspiRole == ATSPI_ROLE_MENU_ITEM || atspiRole == ATSPI_ROLE_CHECK_MENU_ITEM ||
           atspiRole == ATSPI_ROLE_RADIO_MENU_ITEM || atspiRole == ATSPI_ROLE_TEAROFF_MENU_ITEM;
}

std::optional<QString> commandCharacter(const QString& keyBindings)
{
    // GTK separates mnemonic, menu path and accelerator with ';'; Qt gives the accelerator alone.
    // Either way the accelerator is the part that names Control.
    for (const QString& part : keyBindings.split(QLatin1Char(';'))) {
        QString key;
        const QString trimmed = part.trimmed();
        if (trimmed.startsWith(QLatin1String("<Primary>")) || trimmed.startsWith(QLatin1String("<Control>")) ||
            trimmed.startsWith(QLatin1String("<Ctrl>"))) {
            // "<Primary><Shift>z": the key follows the last modifier in angle brackets.
            key = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('>')) + 1);
        } else if (trimmed.startsWith(QLatin1String("Ctrl+"), Qt::CaseInsensitive)) {
            key = trimmed.mid(trimmed.lastIndexOf(QLatin1Char('+')) + 1);
            // "Ctrl++" names the plus key itself.
            if (key.isEmpty() && trimmed.endsWith(QLatin1String("++"))) {
                key = QStringLiteral("+");
            }
        } else {
            continue;
        }
        if (key.size() == 1) {
            return key.toUpper();
        }
    }
    return std::nullopt;
}

std::optional<QString> standardIdentifier(const QString& commandCharacter)
{
    static const QHash<QString, QString> table{
        {QStringLiteral("C"), QStringLiteral("copy:")},
        {QStringLiteral("V"), QStringLiteral("paste:")},
        {QStringLiteral("X"), QStringLiteral("cut:")},
        {QStringLiteral("A"), QStringLiteral("selectAll:")},
    };
    const auto found = table.constFind(commandCharacter);
    if (found == table.cend()) {
        return std::nullopt;
    }
    return *found;
}

QStringList eventTypes(const QString& notification)
{
    for (const NotificationEvents& row : notificationTable()) {
        if (notification == QLatin1String(row.notification)) {
            return row.eventTypes;
        }
    }
    return {};
}

bool eventMatches(const QString& notification, const QString& eventType, int detail1)
{
    if (eventType.startsWith(QLatin1String("object:state-changed:focused")) && detail1 == 0) {
        return false;
    }
    const QStringList types = eventTypes(notification);
    return std::any_of(types.cbegin(), types.cend(), [&eventType](const QString& type) {
        return eventType == type || eventType.startsWith(type + QLatin1Char(':'));
    });
}

} // namespace quillora::AtspiVocabulary
