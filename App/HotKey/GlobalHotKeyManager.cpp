#include "App/HotKey/GlobalHotKeyManager.h"

#include "App/Utils/FileLogger.h"

#include <QPointer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <variant>

namespace QEL {

using HotKey::Key;
using HotKey::ModifierFlags;

namespace {

// A stored number that is exactly a whole number from 0 to `maximum`.
std::optional<std::uint64_t> storedUnsigned(const std::optional<Platform::DefaultsValue>& value, std::uint64_t maximum)
{
    if (!value)
        return std::nullopt;
    if (const auto* integer = std::get_if<std::int64_t>(&*value)) {
        if (*integer < 0 || static_cast<std::uint64_t>(*integer) > maximum)
            return std::nullopt;
        return static_cast<std::uint64_t>(*integer);
    }
    if (const auto* number = std::get_if<double>(&*value)) {
        // 0x1p64 is the first double beyond every 64-bit number.
        if (!(*number >= 0 && *number < 0x1p64) || std::trunc(*number) != *number ||
            static_cast<std::uint64_t>(*number) > maximum)
            return std::nullopt;
        return static_cast<std::uint64_t>(*number);
    }
    return std::nullopt;
}

bool isLetter(Key key)
{
    // allKeys lists a to z first.
    return std::ranges::find(HotKey::allKeys.begin(), HotKey::allKeys.begin() + 26, key) !=
           HotKey::allKeys.begin() + 26;
}

} // namespace

GlobalHotKeyManager::GlobalHotKeyManager(Platform::UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults)
{
}

GlobalHotKeyManager::~GlobalHotKeyManager() = default;

void GlobalHotKeyManager::setHotKey(std::unique_ptr<HotKey::HotKey> hotKey)
{
    hotKey_ = std::move(hotKey);
}

void GlobalHotKeyManager::setCurrentKey(Key key)
{
    if (key == currentKey_)
        return;
    currentKey_ = key;
    emit bindingChanged();
}

void GlobalHotKeyManager::setCurrentModifiers(ModifierFlags modifiers)
{
    if (modifiers == currentModifiers_)
        return;
    currentModifiers_ = modifiers;
    emit bindingChanged();
}

void GlobalHotKeyManager::loadSavedBinding()
{
    using SettingsKeys::hotkeyKeyCode;
    using SettingsKeys::hotkeyModifiers;
    if (const auto code =
            storedUnsigned(defaults_.object(hotkeyKeyCode.key), std::numeric_limits<std::uint32_t>::max()))
        setCurrentKey(
            HotKey::keyFromCarbonKeyCode(static_cast<std::uint32_t>(*code)).value_or(hotkeyKeyCode.defaultValue));
    if (const auto raw =
            storedUnsigned(defaults_.object(hotkeyModifiers.key), std::numeric_limits<std::uint64_t>::max()))
        setCurrentModifiers(ModifierFlags{*raw});
}

void GlobalHotKeyManager::saveBinding()
{
    defaults_.set(std::int64_t(HotKey::carbonKeyCode(currentKey_)), SettingsKeys::hotkeyKeyCode.key);
    // Real modifier flags stay far below 2^63, where a signed number would turn negative.
    defaults_.set(static_cast<std::int64_t>(currentModifiers_.rawValue), SettingsKeys::hotkeyModifiers.key);
}

std::optional<std::string> GlobalHotKeyManager::applyBinding()
{
    setHotKey(nullptr);
    const std::optional<std::string> refusal = registerCurrentBinding();
    if (!refusal)
        return std::nullopt;
    if (working_ && (working_->key != currentKey_ || working_->modifiers != currentModifiers_)) {
        setCurrentKey(working_->key);
        setCurrentModifiers(working_->modifiers);
        registerCurrentBinding();
    }
    return refusal;
}

std::optional<std::string> GlobalHotKeyManager::registerCurrentBinding()
{
    auto hotKey = std::make_unique<HotKey::HotKey>(HotKey::KeyCombo(currentKey_, currentModifiers_));
    if (const std::optional<std::string>& refusal = hotKey->registrationError()) {
        FileLogger::log("HotKey registration failed: " + *refusal);
        return refusal;
    }
    hotKey->keyDownHandler = [manager = QPointer<GlobalHotKeyManager>(this)] {
        FileLogger::log("HOTKEY FIRED!");
        if (manager && manager->onToggle)
            manager->onToggle();
    };
    hotKey_ = std::move(hotKey);
    working_ = Binding{currentKey_, currentModifiers_};
    FileLogger::log("HotKey registered: " + modifierString() + keyString());
    return std::nullopt;
}

std::string GlobalHotKeyManager::modifierString() const
{
    return HotKey::description(currentModifiers_);
}

std::string GlobalHotKeyManager::keyString() const
{
    switch (currentKey_) {
    case Key::space: return "Space";
    case Key::tab: return "Tab";
    case Key::returnKey: return "Return";
    case Key::escape: return "Esc";
    default: return isLetter(currentKey_) ? HotKey::description(currentKey_) : "?";
    }
}

} // namespace QEL
