#include "platform/sim/SimApp.h"

#include "core/SimClock.h"
#include "platform/Pasteboard.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimPasteboard.h"
#include "platform/sim/SimWorkspace.h"

#include <algorithm>

namespace quillora {

namespace {

constexpr int kKeyC = 8;
constexpr int kKeyV = 9;
constexpr quint64 kCommandFlag = 0x100000;
// Command, control, option and shift: a shortcut is the command key alone with the letter.
constexpr quint64 kShortcutModifierMask = 0x100000 | 0x40000 | 0x80000 | 0x20000;

const QString kEnabled = QStringLiteral("AXEnabled");
const QString kPress = QStringLiteral("AXPress");

// The first bytes of a PNG file: enough for a pasteboard item that holds an image and no text.
const QByteArray kImageData = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");

struct EditItem
{
    const char* title;
    const char* identifier;
    const char* cmdChar;
};

constexpr EditItem kEditItems[] = {
    {"Undo", "undo:", "Z"}, {"Redo", "redo:", "Z"},   {"Cut", "cut:", "X"},
    {"Copy", "copy:", "C"}, {"Paste", "paste:", "V"}, {"Select All", "selectAll:", "A"},
};

AXRange clamped(AXRange range, qint64 textLength)
{
    const qint64 location = std::clamp<qint64>(range.location, 0, textLength);
    return {location, std::clamp<qint64>(range.length, 0, textLength - location)};
}

bool isEnabled(const SimElement& element)
{
    const AXAny value = element.attribute(kEnabled);
    return value.holds<bool>() && *value.get<bool>();
}

} // namespace

SimApp::SimApp(const SimAppSetup& spec, qint64 pid, Services services)
    : m_services(services)
    , m_pid(pid)
    , m_name(spec.name)
    , m_bundleID(spec.bundleID.value_or(QStringLiteral("com.example.") + spec.name.toLower().remove(u' ')))
    , m_text(spec.text)
    , m_selection(clamped(spec.selection, spec.text.size()))
    , m_root(services.accessibility.addApplication(pid))
    , m_textArea(m_root.child(QStringLiteral("AXWindow"), {{"AXTitle", spec.name}})
                     .child(QStringLiteral("AXTextArea"), {{"AXFocused", true}}))
{
    m_textArea.focus();
    m_services.workspace.addApplication(runningApplication());
    buildMenus();
    m_services.pasteboard.addChangeListener([this] { refresh(); });
    if (spec.frontmost) {
        activate();
    }
    refresh();
}

SimApp& SimApp::setSecureField()
{
    m_textArea.set(QStringLiteral("AXSubrole"), QStringLiteral("AXSecureTextField"));
    return *this;
}

SimApp& SimApp::setIgnoresShortcuts(bool ignores)
{
    m_ignoresShortcuts = ignores;
    return *this;
}

SimApp& SimApp::setCopyDelay(double seconds)
{
    m_copyDelay = seconds;
    return *this;
}

SimApp& SimApp::setCopiesImageOnly(bool imageOnly)
{
    m_copiesImageOnly = imageOnly;
    return *this;
}

SimApp& SimApp::setHasMenus(bool hasMenus)
{
    if (m_menuBar) {
        m_menuBar->destroy();
        m_menuBar.reset();
        m_copyItem.reset();
        m_pasteItem.reset();
        m_cutItem.reset();
    }
    if (hasMenus) {
        buildMenus();
        refresh();
    }
    return *this;
}

SimApp& SimApp::setSelectedTextReadFailure(AXResult code)
{
    const QString attribute = QStringLiteral("AXSelectedText");
    if (code == AXResult::Success) {
        m_textArea.node()->attributeFailures.remove(attribute);
    } else {
        m_textArea.failAttribute(attribute, code);
    }
    return *this;
}

SimApp& SimApp::setSelectedTextAnswer(SimSelectedTextAnswer answer)
{
    m_selectedTextAnswer = answer;
    refresh();
    return *this;
}

void SimApp::activate()
{
    m_services.workspace.setFrontmost(m_pid);
    m_textArea.focus();
}

void SimApp::setText(const QString& text, AXRange selection)
{
    m_text = text;
    select(selection);
}

void SimApp::select(AXRange selection)
{
    m_selection = clamped(selection, m_text.size());
    refresh();
}

QString SimApp::selectedText() const
{
    return m_text.mid(m_selection.location, m_selection.length);
}

RunningApplication SimApp::runningApplication() const
{
    return RunningApplication{m_pid, m_bundleID, m_name, ActivationPolicy::Regular, false};
}

void SimApp::handleKeyEvent(const PostedKeyEvent& event)
{
    if (!event.keyDown || m_ignoresShortcuts || (event.flags & kShortcutModifierMask) != kCommandFlag) {
        return;
    }
    if (event.virtualKey == kKeyC) {
        copy();
    } else if (event.virtualKey == kKeyV) {
        paste();
    }
}

void SimApp::refresh()
{
    const QString selected = selectedText();
    QString answer = selected;
    if (m_selectedTextAnswer == SimSelectedTextAnswer::WhiteSpace) {
        answer = QString(std::max<qsizetype>(1, selected.size()), u' ');
    } else if (m_selectedTextAnswer == SimSelectedTextAnswer::Empty) {
        answer.clear();
    }
    m_textArea.set(QStringLiteral("AXValue"), m_text)
        .set(QStringLiteral("AXSelectedTextRange"), m_selection)
        .set(QStringLiteral("AXSelectedText"), answer);
    if (m_copyItem) {
        m_copyItem->set(kEnabled, !selected.isEmpty());
        m_cutItem->set(kEnabled, !selected.isEmpty());
        m_pasteItem->set(kEnabled, m_services.pasteboard.string().has_value());
    }
}

void SimApp::buildMenus()
{
    m_menuBar = m_root.child(QStringLiteral("AXMenuBar"));
    const QString titles[] = {QStringLiteral("Apple"),  m_name,
                              QStringLiteral("File"),   QStringLiteral("Edit"),
                              QStringLiteral("Format"), QStringLiteral("Window"),
                              QStringLiteral("Help")};
    for (const QString& title : titles) {
        const SimElement menu =
            m_menuBar->child(QStringLiteral("AXMenuBarItem"), {{"AXTitle", title}}).child(QStringLiteral("AXMenu"));
        if (title != QLatin1String("Edit")) {
            continue;
        }
        for (const EditItem& item : kEditItems) {
            const SimElement element = menu.child(QStringLiteral("AXMenuItem"), {{"AXTitle", item.title},
                                                                                 {"AXIdentifier", item.identifier},
                                                                                 {"AXMenuItemCmdChar", item.cmdChar},
                                                                                 {"AXMenuItemCmdModifiers", 0},
                                                                                 {kEnabled, false}});
            const QString identifier = QString::fromLatin1(item.identifier);
            // A disabled item ignores the press, as a real menu does.
            if (identifier == QLatin1String("copy:")) {
                m_copyItem = element.addAction(kPress, [this] {
                    if (m_copyItem && isEnabled(*m_copyItem)) {
                        copy();
                    }
                });
            } else if (identifier == QLatin1String("paste:")) {
                m_pasteItem = element.addAction(kPress, [this] {
                    if (m_pasteItem && isEnabled(*m_pasteItem)) {
                        paste();
                    }
                });
            } else if (identifier == QLatin1String("cut:")) {
                m_cutItem = element.addAction(kPress);
            } else {
                element.addAction(kPress);
            }
        }
    }
}

void SimApp::copy()
{
    const QString selected = selectedText();
    if (selected.isEmpty()) {
        return;
    }
    ++m_copies;
    const PasteboardItem item = m_copiesImageOnly
                                    ? PasteboardItem{{{QStringLiteral("public.png"), kImageData}}}
                                    : PasteboardItem{{{QString::fromLatin1(kPlainTextType), selected.toUtf8()}}};
    auto write = [this, item] {
        m_services.pasteboard.clearContents();
        (void)m_services.pasteboard.writeItems({item});
    };
    if (m_copyDelay > 0) {
        m_services.clock.schedule(m_copyDelay, write);
    } else {
        write();
    }
}

void SimApp::paste()
{
    const std::optional<QString> text = m_services.pasteboard.string();
    if (!text) {
        return;
    }
    ++m_pastes;
    m_text.replace(m_selection.location, m_selection.length, *text);
    select({m_selection.location + text->size(), 0});
}

} // namespace quillora
