#include "platform/linux/x11/X11KeyEventSink.h"

#include "platform/UserDefaults.h"
#include "platform/linux/x11/X11WindowDirectory.h"

#include <QElapsedTimer>

#include <qcoro/qcorotimer.h>

// X11 headers come last: their macros (None, Bool, Status, KeyPress) clash with Qt's.
#include <X11/XF86keysym.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace quillora {

namespace {

// Virtual key code → keysym, for every key of the key table. A Mac "delete" is BackSpace and its
// "forward delete" is Delete; the keypad clear key becomes Clear.
const QHash<int, quint32>& keysymTable()
{
    // clang-format off
    static const QHash<int, quint32> table{
        // Letters.
        {0, XK_a}, {11, XK_b}, {8, XK_c}, {2, XK_d}, {14, XK_e}, {3, XK_f}, {5, XK_g}, {4, XK_h}, {34, XK_i},
        {38, XK_j}, {40, XK_k}, {37, XK_l}, {46, XK_m}, {45, XK_n}, {31, XK_o}, {35, XK_p}, {12, XK_q}, {15, XK_r},
        {1, XK_s}, {17, XK_t}, {32, XK_u}, {9, XK_v}, {13, XK_w}, {7, XK_x}, {16, XK_y}, {6, XK_z},
        // Digits.
        {29, XK_0}, {18, XK_1}, {19, XK_2}, {20, XK_3}, {21, XK_4}, {23, XK_5}, {22, XK_6}, {26, XK_7}, {28, XK_8},
        {25, XK_9},
        // Punctuation.
        {27, XK_minus}, {24, XK_equal}, {33, XK_bracketleft}, {30, XK_bracketright}, {42, XK_backslash},
        {41, XK_semicolon}, {39, XK_apostrophe}, {43, XK_comma}, {47, XK_period}, {44, XK_slash}, {50, XK_grave},
        // Keypad.
        {65, XK_KP_Decimal}, {67, XK_KP_Multiply}, {69, XK_KP_Add}, {71, XK_Clear}, {75, XK_KP_Divide},
        {76, XK_KP_Enter}, {78, XK_KP_Subtract}, {81, XK_KP_Equal}, {82, XK_KP_0}, {83, XK_KP_1}, {84, XK_KP_2},
        {85, XK_KP_3}, {86, XK_KP_4}, {87, XK_KP_5}, {88, XK_KP_6}, {89, XK_KP_7}, {91, XK_KP_8}, {92, XK_KP_9},
        // Editing, media and navigation.
        {36, XK_Return}, {48, XK_Tab}, {49, XK_space}, {51, XK_BackSpace}, {117, XK_Delete}, {53, XK_Escape},
        {72, XF86XK_AudioRaiseVolume}, {73, XF86XK_AudioLowerVolume}, {74, XF86XK_AudioMute}, {115, XK_Home},
        {119, XK_End}, {116, XK_Prior}, {121, XK_Next}, {123, XK_Left}, {124, XK_Right}, {125, XK_Down},
        {126, XK_Up},
        // Function keys.
        {122, XK_F1}, {120, XK_F2}, {99, XK_F3}, {118, XK_F4}, {96, XK_F5}, {97, XK_F6}, {98, XK_F7}, {100, XK_F8},
        {101, XK_F9}, {109, XK_F10}, {103, XK_F11}, {111, XK_F12}, {105, XK_F13}, {107, XK_F14}, {113, XK_F15},
        {106, XK_F16}, {64, XK_F17}, {79, XK_F18}, {80, XK_F19}, {90, XK_F20},
        // International keys.
        {10, XK_section}, {93, XK_yen}, {94, XK_underscore}, {95, XK_KP_Separator}, {102, XK_Eisu_toggle},
        {104, XK_Hiragana_Katakana},
    };
    // clang-format on
    return table;
}

// The modifier flags of the key table.
constexpr quint64 kShiftFlag = 0x20000;
constexpr quint64 kControlFlag = 0x40000;
constexpr quint64 kOptionFlag = 0x80000;
constexpr quint64 kCommandFlag = 0x100000;

unsigned int stateMask(const QList<quint32>& modifiers)
{
    unsigned int mask = 0;
    for (const quint32 keysym : modifiers) {
        if (keysym == XK_Shift_L) {
            mask |= ShiftMask;
        } else if (keysym == XK_Control_L) {
            mask |= ControlMask;
        } else if (keysym == XK_Alt_L) {
            mask |= Mod1Mask;
        }
    }
    return mask;
}

bool sendSynthetic(Display* display, Window window, KeyCode key, unsigned int state, bool keyDown)
{
    XEvent event{};
    event.xkey.type = keyDown ? KeyPress : KeyRelease;
    event.xkey.display = display;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.subwindow = None;
    event.xkey.time = CurrentTime;
    event.xkey.x = event.xkey.y = event.xkey.x_root = event.xkey.y_root = 1;
    event.xkey.state = state;
    event.xkey.keycode = key;
    event.xkey.same_screen = True;
    // The window may close between the lookup and the send; the trap turns that into a refusal.
    X11ErrorTrap trap(display);
    const Status sent = XSendEvent(display, window, True, keyDown ? KeyPressMask : KeyReleaseMask, &event);
    return sent != 0 && !trap.failed();
}

// The key codes that carry a modifier (Shift, Lock, Control, Mod1 to Mod5) on the current map.
QList<KeyCode> modifierKeycodes(Display* display)
{
    QList<KeyCode> codes;
    XModifierKeymap* map = XGetModifierMapping(display);
    if (map == nullptr) {
        return codes;
    }
    for (int index = 0; index < 8 * map->max_keypermod; ++index) {
        // Lock (caps lock) is a latched state, not a held key; it never joins a shortcut.
        if (index / map->max_keypermod != LockMapIndex && map->modifiermap[index] != 0) {
            codes.append(map->modifiermap[index]);
        }
    }
    XFreeModifiermap(map);
    return codes;
}

bool isDown(const char keys[32], KeyCode code)
{
    return (keys[code / 8] & (1 << (code % 8))) != 0;
}

} // namespace

X11KeyEventSink::X11KeyEventSink(const UserDefaults& defaults, std::shared_ptr<X11WindowDirectory> windows)
    : m_defaults(defaults)
    , m_windows(windows ? std::move(windows) : std::make_shared<X11WindowDirectory>())
{
}

X11KeyEventSink::~X11KeyEventSink()
{
    releaseAll();
    Display* display = m_windows->display();
    // The borrowed key code gets its emptiness back.
    if (display != nullptr && m_spareKeycode != 0) {
        int perKeycode = 0;
        KeySym* current = XGetKeyboardMapping(display, m_spareKeycode, 1, &perKeycode);
        if (current != nullptr) {
            QList<KeySym> empty(perKeycode, NoSymbol);
            XChangeKeyboardMapping(display, m_spareKeycode, perKeycode, empty.data(), 1);
            XFree(current);
        }
        XSync(display, False);
    }
}

QStringList X11KeyEventSink::defaultTerminalClasses()
{
    return {QStringLiteral("xterm"),
            QStringLiteral("gnome-terminal"),
            QStringLiteral("konsole"),
            QStringLiteral("kitty"),
            QStringLiteral("alacritty"),
            QStringLiteral("xfce4-terminal"),
            QStringLiteral("tilix"),
            QStringLiteral("terminator"),
            QStringLiteral("wezterm"),
            QStringLiteral("foot"),
            QStringLiteral("uxterm"),
            QStringLiteral("gnome-terminal-server"),
            QStringLiteral("org.wezfurlong.wezterm")};
}

QStringList X11KeyEventSink::terminalClasses() const
{
    const QString stored = m_defaults.string(QLatin1String(terminalClassesKey));
    if (stored.isNull()) {
        return defaultTerminalClasses();
    }
    QStringList classes;
    for (const QString& entry : stored.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        classes.append(entry.trimmed());
    }
    return classes;
}

std::optional<quint32> X11KeyEventSink::keysymForVirtualKey(int virtualKey)
{
    const auto found = keysymTable().constFind(virtualKey);
    if (found == keysymTable().cend()) {
        return std::nullopt;
    }
    return *found;
}

QList<quint32> X11KeyEventSink::modifierKeysyms(quint64 flags)
{
    QList<quint32> keysyms;
    if ((flags & (kCommandFlag | kControlFlag)) != 0) {
        keysyms.append(XK_Control_L);
    }
    if ((flags & kOptionFlag) != 0) {
        keysyms.append(XK_Alt_L);
    }
    if ((flags & kShiftFlag) != 0) {
        keysyms.append(XK_Shift_L);
    }
    return keysyms;
}

quint8 X11KeyEventSink::keycodeFor(quint32 keysym)
{
    Display* display = m_windows->display();
    const KeyCode mapped = XKeysymToKeycode(display, keysym);
    if (mapped != 0) {
        return mapped;
    }
    if (m_spareKeycode != 0 && m_spareKeysym == keysym) {
        return m_spareKeycode;
    }
    // The lent key code may not change while its key is held.
    for (const HeldKeys& held : std::as_const(m_held)) {
        if (m_spareKeycode != 0 && held.key == m_spareKeycode) {
            return 0;
        }
    }
    int minimum = 0;
    int maximum = 0;
    XDisplayKeycodes(display, &minimum, &maximum);
    int perKeycode = 0;
    KeySym* map = XGetKeyboardMapping(display, KeyCode(minimum), maximum - minimum + 1, &perKeycode);
    if (map == nullptr) {
        return 0;
    }
    // The highest key code without any symbol is lent (or the one lent before, which is ours).
    int spare = m_spareKeycode;
    for (int code = maximum; spare == 0 && code >= minimum; --code) {
        const KeySym* symbols = map + (code - minimum) * perKeycode;
        if (std::all_of(symbols, symbols + perKeycode, [](KeySym symbol) { return symbol == NoSymbol; })) {
            spare = code;
        }
    }
    XFree(map);
    if (spare == 0) {
        return 0;
    }
    QList<KeySym> symbols(perKeycode, NoSymbol);
    symbols[0] = keysym;
    if (perKeycode > 1) {
        symbols[1] = keysym;
    }
    XChangeKeyboardMapping(display, spare, perKeycode, symbols.data(), 1);
    XSync(display, False);
    m_spareKeycode = quint8(spare);
    m_spareKeysym = keysym;
    return m_spareKeycode;
}

bool X11KeyEventSink::isTerminal(quint64 window)
{
    const std::optional<X11ClientWindow> client = m_windows->clientWindow(window);
    if (!client) {
        return false;
    }
    const QStringList terminals = terminalClasses();
    return terminals.contains(client->className, Qt::CaseInsensitive) ||
           terminals.contains(client->instanceName, Qt::CaseInsensitive);
}

bool X11KeyEventSink::userHoldsModifier()
{
    Display* display = m_windows->display();
    if (display == nullptr) {
        return false;
    }
    QList<KeyCode> userModifiers = modifierKeycodes(display);
    // Modifiers this sink holds itself are not the user's.
    for (const HeldKeys& held : std::as_const(m_held)) {
        for (const quint8 code : held.modifiers) {
            userModifiers.removeAll(code);
        }
    }
    char keys[32] = {};
    XQueryKeymap(display, keys);
    return std::any_of(userModifiers.cbegin(), userModifiers.cend(),
                       [&keys](KeyCode code) { return isDown(keys, code); });
}

QCoro::Task<> X11KeyEventSink::modifiersReleased(int budgetMs)
{
    QElapsedTimer waited;
    waited.start();
    while (userHoldsModifier() && waited.elapsed() < budgetMs) {
        co_await QCoro::sleepFor(std::chrono::milliseconds(5));
    }
}

void X11KeyEventSink::releaseAll()
{
    Display* display = m_windows->display();
    if (display == nullptr || m_held.isEmpty()) {
        return;
    }
    for (const HeldKeys& held : std::as_const(m_held)) {
        XTestFakeKeyEvent(display, held.key, False, CurrentTime);
        for (auto it = held.modifiers.crbegin(); it != held.modifiers.crend(); ++it) {
            XTestFakeKeyEvent(display, *it, False, CurrentTime);
        }
    }
    m_held.clear();
    XSync(display, False);
}

bool X11KeyEventSink::post(const PostedKeyEvent& event)
{
    const std::optional<quint32> keysym = keysymForVirtualKey(event.virtualKey);
    Display* display = m_windows->display();
    if (!keysym || display == nullptr) {
        return false;
    }
    if (!m_hasXTest) {
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        m_hasXTest = XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor) != 0;
    }

    // A key pressed through XTest is released through XTest, exactly as it was pressed, whatever
    // window is active by then, so that no key or modifier stays held.
    if (!event.keyDown) {
        if (const auto held = m_held.constFind(event.virtualKey); held != m_held.cend()) {
            XTestFakeKeyEvent(display, held->key, False, CurrentTime);
            for (auto it = held->modifiers.crbegin(); it != held->modifiers.crend(); ++it) {
                XTestFakeKeyEvent(display, *it, False, CurrentTime);
            }
            XFlush(display);
            m_held.erase(held);
            return true;
        }
    }

    const KeyCode key = keycodeFor(*keysym);
    if (key == 0) {
        return false;
    }
    QList<quint32> modifiers = modifierKeysyms(event.flags);
    // A keysym on the shifted level of its key (an underscore on most layouts) needs Shift held.
    if (XkbKeycodeToKeysym(display, key, 0, 0) != *keysym && XkbKeycodeToKeysym(display, key, 0, 1) == *keysym &&
        !modifiers.contains(XK_Shift_L)) {
        modifiers.append(XK_Shift_L);
    }

    // Where the key goes: the active window for the whole desktop or a target that owns it,
    // else the target's first window.
    const std::optional<quint64> active = m_windows->activeWindow();
    std::optional<quint64> target;
    bool viaXTest = !event.targetPid;
    if (event.targetPid) {
        for (const X11ClientWindow& window : m_windows->clientWindows()) {
            if (window.pid != *event.targetPid) {
                continue;
            }
            if (active && window.id == *active) {
                viaXTest = true;
                break;
            }
            if (!target) {
                target = window.id;
            }
        }
        if (!viaXTest && !target) {
            return false;
        }
    }
    const std::optional<quint64> receiver = viaXTest ? active : target;
    // Control with C or V in a terminal would interrupt or do nothing: the terminal's own copy and
    // paste hold Shift too.
    const bool isCopyOrPaste = *keysym == XK_c || *keysym == XK_v;
    if (isCopyOrPaste && modifiers.contains(XK_Control_L) && !modifiers.contains(XK_Shift_L) && receiver &&
        isTerminal(*receiver)) {
        modifiers.append(XK_Shift_L);
    }
    QList<quint8> modifierKeys;
    for (const quint32 modifier : modifiers) {
        const KeyCode code = XKeysymToKeycode(display, modifier);
        // Without its modifier a shortcut would type a plain letter; refuse the event instead.
        if (code == 0) {
            return false;
        }
        modifierKeys.append(code);
    }

    if (!viaXTest) {
        return sendSynthetic(display, Window(*target), key, stateMask(modifiers), event.keyDown);
    }
    if (!*m_hasXTest) {
        return false;
    }
    if (!event.keyDown) {
        // A key-up for a key this sink never pressed: only the key itself is released.
        XTestFakeKeyEvent(display, key, False, CurrentTime);
        XFlush(display);
        return true;
    }
    // A second key-down of a key still held releases the first, so nothing is left held.
    if (const auto held = m_held.constFind(event.virtualKey); held != m_held.cend()) {
        XTestFakeKeyEvent(display, held->key, False, CurrentTime);
        for (auto it = held->modifiers.crbegin(); it != held->modifiers.crend(); ++it) {
            XTestFakeKeyEvent(display, *it, False, CurrentTime);
        }
    }
    for (const quint8 modifier : modifierKeys) {
        XTestFakeKeyEvent(display, modifier, True, CurrentTime);
    }
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XFlush(display);
    m_held.insert(event.virtualKey, HeldKeys{key, modifierKeys});
    return true;
}

} // namespace quillora
