#include "keys/Modifier.h"

namespace quillora {

namespace {

struct ModifierEntry
{
    const char* caseName;
    const char16_t* string;
    quint64 flag;
};

// Indexed by `Modifier::Value`. The flags are the keyboard event flag masks of the key code table.
constexpr ModifierEntry kModifiers[] = {
    {"capsLock", u"\u21EA", 0x10000}, {"command", u"\u2318", 0x100000},  {"control", u"\u2303", 0x40000},
    {"function", u"fn", 0x800000},    {"help", u"\U0010FFEE", 0x400000}, {"numPad", u"\U0010FFEE", 0x200000},
    {"option", u"\u2325", 0x80000},   {"shift", u"\u21E7", 0x20000},
};

static_assert(std::size(kModifiers) == Modifier::caseCount);

} // namespace

QString Modifier::stringValue() const
{
    return QString::fromUtf16(kModifiers[m_value].string);
}

quint64 Modifier::eventFlag() const
{
    return kModifiers[m_value].flag;
}

const std::array<Modifier, Modifier::caseCount>& Modifier::allCases()
{
    static const std::array<Modifier, caseCount> all{capsLock, command, control, function, help, numPad, option, shift};
    return all;
}

std::optional<Modifier> Modifier::fromCaseName(const QString& name)
{
    for (const Modifier modifier : allCases()) {
        if (name == QLatin1String(kModifiers[modifier.m_value].caseName)) {
            return modifier;
        }
    }
    return std::nullopt;
}

QString caseName(Modifier modifier)
{
    return QString::fromLatin1(kModifiers[Modifier::Value(modifier)].caseName);
}

} // namespace quillora
