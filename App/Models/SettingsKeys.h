#pragma once

// The settings the application keeps in the user defaults, each with the name
// it is stored under and the value it has while nothing (or a value of another
// type) is stored. A user's settings file holds these names, so they are
// spelled here and nowhere else in the application.

#include "App/Models/InsertionMode.h"
#include "HotKey/Key.h"
#include "HotKey/ModifierFlags.h"
#include "Platform/UserDefaults/UserDefaults.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace QEL {

// A list of texts, stored as one; empty while none is stored.
struct StringList {};

// One stored setting.
template <class Value>
struct Setting {
    std::string_view key;
    Value defaultValue{};
};

namespace SettingsKeys {

// The engine's model, by the name the model cache knows it under.
inline constexpr Setting<std::string_view> selectedModel{"selectedModel", "openai_whisper-small.en"};
// Only a stored Boolean false selects the built-in engine over the engine library.
inline constexpr Setting<bool> useQelCoreEngine{"useQelCoreEngine", true};
// Stored by its raw value (insertionModeNames).
inline constexpr Setting<InsertionMode> insertionMode{"insertionMode", InsertionMode::paste};
inline constexpr Setting<std::int64_t> silenceThresholdMs{"silenceThresholdMs", 400};
inline constexpr Setting<bool> removeFillers{"removeFillers", true};
inline constexpr Setting<bool> enableCommands{"enableCommands", true};
inline constexpr Setting<std::string_view> selectedLanguage{"selectedLanguage", "auto"};
inline constexpr Setting<StringList> customVocabulary{"customVocabulary"};
inline constexpr Setting<std::string_view> vocabularySampleSentence{"vocabularySampleSentence", ""};
inline constexpr Setting<bool> launchAtLogin{"launchAtLogin", false};
inline constexpr Setting<double> vadEnergyThreshold{"vadEnergyThreshold", 0.015};
inline constexpr Setting<std::int64_t> overlapWindowMs{"overlapWindowMs", 2000};
// The global hot key: the key's virtual key code, and the modifier flags' raw value.
inline constexpr Setting<HotKey::Key> hotkeyKeyCode{"hotkeyKeyCode", HotKey::Key::space};
inline constexpr Setting<HotKey::ModifierFlags> hotkeyModifiers{
    .key = "hotkeyModifiers", .defaultValue = HotKey::ModifierFlags::option | HotKey::ModifierFlags::shift};

} // namespace SettingsKeys

namespace Detail {
template <class Value>
struct StoredAs {
    using Type = Value;
};
template <>
struct StoredAs<std::string_view> {
    using Type = std::string;
};
template <>
struct StoredAs<StringList> {
    using Type = std::vector<std::string>;
};
} // namespace Detail

// The stored value of a setting held as it is (a Boolean, an integer, a
// double, a text or a list of texts): the default unless a value of exactly
// that type is stored.
template <class Value>
typename Detail::StoredAs<Value>::Type storedValue(const Platform::UserDefaults& defaults,
                                                   const Setting<Value>& setting)
{
    using Stored = typename Detail::StoredAs<Value>::Type;
    if constexpr (std::is_same_v<Value, StringList>)
        return defaults.value<Stored>(setting.key).value_or(Stored{});
    else
        return defaults.value<Stored>(setting.key).value_or(Stored(setting.defaultValue));
}

} // namespace QEL
