#include "HotKey/ModifierFlags.h"

#include "Platform/Input/CarbonModifiers.h"

#include <array>
#include <string_view>

namespace HotKey {

namespace {

struct Modifier {
    ModifierFlags flag;
    std::uint32_t carbonFlag;
    std::string_view glyph;
};

// In the order their glyphs are shown.
constexpr std::array<Modifier, 4> modifiers{{
    {ModifierFlags::control, Platform::CarbonModifier::control, "\u2303"},
    {ModifierFlags::option, Platform::CarbonModifier::option, "\u2325"},
    {ModifierFlags::shift, Platform::CarbonModifier::shift, "\u21E7"},
    {ModifierFlags::command, Platform::CarbonModifier::command, "\u2318"},
}};

} // namespace

ModifierFlags modifierFlagsFromCarbonFlags(std::uint32_t carbonFlags)
{
    ModifierFlags flags;
    for (const Modifier& modifier : modifiers) {
        if (carbonFlags & modifier.carbonFlag)
            flags = flags | modifier.flag;
    }
    return flags;
}

std::uint32_t carbonFlags(ModifierFlags flags)
{
    std::uint32_t mask = 0;
    for (const Modifier& modifier : modifiers) {
        if (flags.contains(modifier.flag))
            mask |= modifier.carbonFlag;
    }
    return mask;
}

std::string description(ModifierFlags flags)
{
    std::string glyphs;
    for (const Modifier& modifier : modifiers) {
        if (flags.contains(modifier.flag))
            glyphs += modifier.glyph;
    }
    return glyphs;
}

} // namespace HotKey
