#include "keys/Key.h"

#include <QHash>
#include <QList>

#include <utility>

namespace quillora {

namespace {

struct KeyEntry
{
    Key::Value key;
    const char* caseName;
    const char16_t* string;
};

// One row per key, in the order of `allCases`: the string lookup returns the first match, so the
// order decides, for example, that a line feed is `keypadEnter` rather than `return`.
constexpr KeyEntry kKeys[] = {
    {Key::a, "a", u"a"},
    {Key::b, "b", u"b"},
    {Key::c, "c", u"c"},
    {Key::d, "d", u"d"},
    {Key::e, "e", u"e"},
    {Key::f, "f", u"f"},
    {Key::g, "g", u"g"},
    {Key::h, "h", u"h"},
    {Key::i, "i", u"i"},
    {Key::j, "j", u"j"},
    {Key::k, "k", u"k"},
    {Key::l, "l", u"l"},
    {Key::m, "m", u"m"},
    {Key::n, "n", u"n"},
    {Key::o, "o", u"o"},
    {Key::p, "p", u"p"},
    {Key::q, "q", u"q"},
    {Key::r, "r", u"r"},
    {Key::s, "s", u"s"},
    {Key::t, "t", u"t"},
    {Key::u, "u", u"u"},
    {Key::v, "v", u"v"},
    {Key::w, "w", u"w"},
    {Key::x, "x", u"x"},
    {Key::y, "y", u"y"},
    {Key::z, "z", u"z"},
    {Key::zero, "zero", u"0"},
    {Key::one, "one", u"1"},
    {Key::two, "two", u"2"},
    {Key::three, "three", u"3"},
    {Key::four, "four", u"4"},
    {Key::five, "five", u"5"},
    {Key::six, "six", u"6"},
    {Key::seven, "seven", u"7"},
    {Key::eight, "eight", u"8"},
    {Key::nine, "nine", u"9"},
    {Key::minus, "minus", u"-"},
    {Key::equal, "equal", u"="},
    {Key::leftBracket, "leftBracket", u"["},
    {Key::rightBracket, "rightBracket", u"]"},
    {Key::backslash, "backslash", u"\\"},
    {Key::semicolon, "semicolon", u";"},
    {Key::quote, "quote", u"'"},
    {Key::comma, "comma", u","},
    {Key::period, "period", u"."},
    {Key::slash, "slash", u"/"},
    {Key::grave, "grave", u"`"},
    {Key::keypadDecimal, "keypadDecimal", u"."},
    {Key::keypadMultiply, "keypadMultiply", u"*"},
    {Key::keypadPlus, "keypadPlus", u"+"},
    {Key::keypadClear, "keypadClear", u"\u2327"},
    {Key::keypadDivide, "keypadDivide", u"\u00F7"},
    {Key::keypadEnter, "keypadEnter", u"\n"},
    {Key::keypadMinus, "keypadMinus", u"-"},
    {Key::keypadEquals, "keypadEquals", u"="},
    {Key::keypad0, "keypad0", u"0"},
    {Key::keypad1, "keypad1", u"1"},
    {Key::keypad2, "keypad2", u"2"},
    {Key::keypad3, "keypad3", u"3"},
    {Key::keypad4, "keypad4", u"4"},
    {Key::keypad5, "keypad5", u"5"},
    {Key::keypad6, "keypad6", u"6"},
    {Key::keypad7, "keypad7", u"7"},
    {Key::keypad8, "keypad8", u"8"},
    {Key::keypad9, "keypad9", u"9"},
    {Key::return_, "return", u"\n"},
    {Key::tab, "tab", u"\t"},
    {Key::space, "space", u" "},
    {Key::delete_, "delete", u"\u232B"},
    {Key::forwardDelete, "forwardDelete", u"\u2326"},
    {Key::escape, "escape", u"\u238B"},
    {Key::volumeUp, "volumeUp", u"\U0010FFEE"},
    {Key::volumeDown, "volumeDown", u"\U0010FFEE"},
    {Key::mute, "mute", u"\U0010FFEE"},
    {Key::home, "home", u"\u21F1"},
    {Key::end, "end", u"\u21F2"},
    {Key::pageUp, "pageUp", u"\u21DE"},
    {Key::pageDown, "pageDown", u"\u21DF"},
    {Key::leftArrow, "leftArrow", u"\u2190"},
    {Key::rightArrow, "rightArrow", u"\u2192"},
    {Key::downArrow, "downArrow", u"\u2193"},
    {Key::upArrow, "upArrow", u"\u2191"},
    {Key::f1, "f1", u"F1"},
    {Key::f2, "f2", u"F2"},
    {Key::f3, "f3", u"F3"},
    {Key::f4, "f4", u"F4"},
    {Key::f5, "f5", u"F5"},
    {Key::f6, "f6", u"F6"},
    {Key::f7, "f7", u"F7"},
    {Key::f8, "f8", u"F8"},
    {Key::f9, "f9", u"F9"},
    {Key::f10, "f10", u"F10"},
    {Key::f11, "f11", u"F11"},
    {Key::f12, "f12", u"F12"},
    {Key::f13, "f13", u"F13"},
    {Key::f14, "f14", u"F14"},
    {Key::f15, "f15", u"F15"},
    {Key::f16, "f16", u"F16"},
    {Key::f17, "f17", u"F17"},
    {Key::f18, "f18", u"F18"},
    {Key::f19, "f19", u"F19"},
    {Key::f20, "f20", u"F20"},
    {Key::isoSection, "isoSection", u"\u00A7"},
    {Key::jisYen, "jisYen", u"\u00A5"},
    {Key::jisUnderscore, "jisUnderscore", u"_"},
    {Key::jisKeypadComma, "jisKeypadComma", u","},
    {Key::jisEisu, "jisEisu", u"\u82F1\u6570"},
    {Key::jisKana, "jisKana", u"\u304B\u306A"},
};

static_assert(std::size(kKeys) == Key::caseCount);

template <std::size_t... Index> constexpr std::array<Key, sizeof...(Index)> allKeys(std::index_sequence<Index...>)
{
    return {kKeys[Index].key...};
}

// Built once: the string values lower-cased for the lookup, and indexes by code and by case name.
struct KeyIndex
{
    std::array<Key, Key::caseCount> all = allKeys(std::make_index_sequence<Key::caseCount>());
    QList<QString> lowerStrings;
    QHash<int, std::size_t> byCode;
    QHash<QString, std::size_t> byCaseName;

    KeyIndex()
    {
        for (std::size_t index = 0; index < Key::caseCount; ++index) {
            lowerStrings.append(QString::fromUtf16(kKeys[index].string).toLower());
            byCode.insert(kKeys[index].key, index);
            byCaseName.insert(QString::fromLatin1(kKeys[index].caseName), index);
        }
    }
};

const KeyIndex& keyIndex()
{
    static const KeyIndex index;
    return index;
}

const KeyEntry& entry(Key key)
{
    return kKeys[keyIndex().byCode.value(key.rawValue())];
}

} // namespace

QString Key::stringValue() const
{
    return QString::fromUtf16(entry(*this).string);
}

const std::array<Key, Key::caseCount>& Key::allCases()
{
    return keyIndex().all;
}

std::optional<Key> Key::fromString(const QString& string)
{
    const QString lowered = string.toLower();
    const KeyIndex& index = keyIndex();
    for (std::size_t position = 0; position < caseCount; ++position) {
        if (index.lowerStrings[qsizetype(position)] == lowered) {
            return index.all[position];
        }
    }
    return std::nullopt;
}

std::optional<Key> Key::fromRawValue(int rawValue)
{
    const auto found = keyIndex().byCode.constFind(rawValue);
    if (found == keyIndex().byCode.cend()) {
        return std::nullopt;
    }
    return kKeys[*found].key;
}

std::optional<Key> Key::fromCaseName(const QString& name)
{
    const auto found = keyIndex().byCaseName.constFind(name);
    if (found == keyIndex().byCaseName.cend()) {
        return std::nullopt;
    }
    return kKeys[*found].key;
}

QString caseName(Key key)
{
    return QString::fromLatin1(entry(key).caseName);
}

} // namespace quillora
