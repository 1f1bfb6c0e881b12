#include "HotKey/HotKeysController.h"

#include <algorithm>
#include <limits>

namespace HotKey {

namespace {

using Registry = std::map<std::uint32_t, HotKeysController::HotKeyBox>;

// Never destroyed: a hot key held by a static object may be released after
// this file's statics would have gone.
Registry& registry = *new Registry;
std::uint32_t lastID = 0;
bool isEventHandlerInstalled = false;

Registry::iterator box(const HotKey& hotKey)
{
    return std::ranges::find_if(registry,
                                [&](const auto& entry) { return entry.second.identifier == hotKey.identifier(); });
}

void hotKeyEventHandler(const Platform::HotKeyEvent& event)
{
    HotKeysController::handleCarbonEvent(&event);
}

} // namespace

void HotKeysController::registerHotKey(HotKey& hotKey)
{
    if (box(hotKey) != registry.end())
        return;
    const KeyCombo& combo = hotKey.keyCombo();
    auto refuse = [&](const std::string& reason) {
        hotKey.registrationError_ = "Cannot register the hot key " + combo.description() + ": " + reason;
    };
    if (lastID == std::numeric_limits<std::uint32_t>::max())
        return refuse("every hot-key id of this process has been used");
    const std::uint32_t id = ++lastID;
    try {
        auto grab = std::make_unique<Platform::GlobalHotKey>(combo.carbonKeyCode, combo.carbonModifiers,
                                                             Platform::HotKeyID{eventHotKeySignature, id});
        registry.emplace(id, HotKeyBox{hotKey.identifier(), &hotKey, id, std::move(grab)});
    } catch (const Platform::HotKeyRegistrationError& error) {
        return refuse(error.what());
    }
    hotKey.registrationError_.reset();
    if (!isEventHandlerInstalled) {
        Platform::GlobalHotKey::setEventHandler(hotKeyEventHandler);
        isEventHandlerInstalled = true;
    }
}

void HotKeysController::unregisterHotKey(HotKey& hotKey)
{
    hotKey.registrationError_.reset();
    if (const auto found = box(hotKey); found != registry.end())
        registry.erase(found); // which releases the grab
}

std::int32_t HotKeysController::handleCarbonEvent(const Platform::HotKeyEvent* event)
{
    if (!event || event->hotKeyID.signature != eventHotKeySignature)
        return eventNotHandledStatus;
    const auto found = registry.find(event->hotKeyID.id);
    if (found == registry.end())
        return eventNotHandledStatus;
    const HotKey& hotKey = *found->second.hotKey;
    // A copy: the handler may destroy its hot key.
    HotKey::Handler handler;
    if (event->kind == Platform::HotKeyEvent::pressed)
        handler = hotKey.keyDownHandler;
    else if (event->kind == Platform::HotKeyEvent::released)
        handler = hotKey.keyUpHandler;
    if (hotKey.isPaused() || !handler)
        return eventNotHandledStatus;
    handler();
    return 0;
}

const std::map<std::uint32_t, HotKeysController::HotKeyBox>& HotKeysController::hotKeys()
{
    return registry;
}

std::uint32_t HotKeysController::hotKeysCount()
{
    return lastID;
}

} // namespace HotKey
