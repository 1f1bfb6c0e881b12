#include "HotKey/KeyCombo.h"

#include "Platform/Input/CarbonModifiers.h"

#include <limits>

namespace HotKey {

namespace {

// An integer from 0 to 4294967295, however the dictionary holds it.
std::optional<std::uint32_t> unsigned32(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort: break;
    case QMetaType::ULongLong:
        if (value.toULongLong() > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        return static_cast<std::uint32_t>(value.toULongLong());
    default: return std::nullopt;
    }
    const qlonglong number = value.toLongLong();
    if (number < 0 || number > std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

} // namespace

KeyCombo::KeyCombo(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers)
    : carbonKeyCode(carbonKeyCode), carbonModifiers(carbonModifiers)
{
}

KeyCombo::KeyCombo(Key key, ModifierFlags modifiers)
    : carbonKeyCode(HotKey::carbonKeyCode(key)), carbonModifiers(carbonFlags(modifiers))
{
}

std::optional<KeyCombo> KeyCombo::fromDictionary(const QVariantMap& dictionary)
{
    const std::optional<std::uint32_t> keyCode = unsigned32(dictionary.value("keyCode"));
    const std::optional<std::uint32_t> modifiers = unsigned32(dictionary.value("modifiers"));
    if (!keyCode || !modifiers)
        return std::nullopt;
    return KeyCombo(*keyCode, *modifiers);
}

QVariantMap KeyCombo::dictionary() const
{
    return {{"keyCode", qlonglong(carbonKeyCode)}, {"modifiers", qlonglong(carbonModifiers)}};
}

std::optional<Key> KeyCombo::key() const
{
    return keyFromCarbonKeyCode(carbonKeyCode);
}

void KeyCombo::setKey(std::optional<Key> key)
{
    carbonKeyCode = key ? HotKey::carbonKeyCode(*key) : 0;
}

ModifierFlags KeyCombo::modifiers() const
{
    return modifierFlagsFromCarbonFlags(carbonModifiers);
}

void KeyCombo::setModifiers(ModifierFlags modifiers)
{
    carbonModifiers = carbonFlags(modifiers);
}

std::string KeyCombo::description() const
{
    const std::optional<Key> key = this->key();
    return HotKey::description(modifiers()) + (key ? HotKey::description(*key) : "");
}

std::vector<KeyCombo> KeyCombo::standardKeyCombos()
{
    constexpr std::uint32_t command = Platform::CarbonModifier::command;
    constexpr std::uint32_t shift = Platform::CarbonModifier::shift;
    constexpr std::uint32_t option = Platform::CarbonModifier::option;
    constexpr std::uint32_t control = Platform::CarbonModifier::control;
    const struct {
        Key key;
        std::uint32_t modifiers;
    } combinations[] = {
        {Key::comma, command},
        {Key::h, command},
        {Key::h, option | command},
        {Key::q, command},
        {Key::n, command},
        {Key::o, command},
        {Key::w, command},
        {Key::s, command},
        {Key::s, shift | command},
        {Key::r, command},
        {Key::p, shift | command},
        {Key::p, command},
        {Key::z, command},
        {Key::z, shift | command},
        {Key::x, command},
        {Key::c, command},
        {Key::v, command},
        {Key::v, option | shift | command},
        {Key::a, command},
        {Key::f, command},
        {Key::f, option | command},
        {Key::g, command},
        {Key::g, shift | command},
        {Key::e, command},
        {Key::j, command},
        {Key::semicolon, shift | command},
        {Key::semicolon, command},
        {Key::t, command},
        {Key::b, command},
        {Key::i, command},
        {Key::u, command},
        {Key::equal, shift | command},
        {Key::minus, command},
        {Key::c, shift | command},
        {Key::c, option | command},
        {Key::v, option | command},
        {Key::leftBracket, shift | command},
        {Key::backslash, shift | command},
        {Key::rightBracket, shift | command},
        {Key::c, control | command},
        {Key::v, control | command},
        {Key::t, option | command},
        {Key::s, control | command},
        {Key::f, control | command},
        {Key::m, command},
        {Key::slash, shift | command},
    };
    std::vector<KeyCombo> list;
    for (const auto& combination : combinations)
        list.emplace_back(HotKey::carbonKeyCode(combination.key), combination.modifiers);
    return list;
}

} // namespace HotKey
