#pragma once

#include "HotKey/HotKey.h"

#include "Platform/Input/GlobalHotKey.h"

#include <cstdint>
#include <map>
#include <memory>

namespace HotKey {

// The registry of registered hot keys: it hands out their ids, registers their
// combinations with the display server and routes each hot-key event to its
// hot key. Static state of the main thread; nothing creates an instance.
class HotKeysController {
public:
    HotKeysController() = delete;

    // One registered hot key.
    struct HotKeyBox {
        Platform::UUID identifier;
        HotKey* hotKey; // unregistered before it is destroyed, so never dangling
        std::uint32_t carbonHotKeyID;
        std::unique_ptr<Platform::GlobalHotKey> carbonEventHotKey;
    };

    // "DKtg": the signature of every hot-key id this library registers.
    static constexpr std::uint32_t eventHotKeySignature = 'D' << 24 | 'K' << 16 | 't' << 8 | 'g';

    // What handleCarbonEvent answers for an event that no handler took.
    static constexpr std::int32_t eventNotHandledStatus = -9874;

    // Registers `hotKey` under the next id unless it is registered already.
    // A refusal leaves it unregistered, with the reason in its
    // registrationError().
    static void registerHotKey(HotKey& hotKey);
    static void unregisterHotKey(HotKey& hotKey);

    // Calls the handler that the event is for: 0 when one ran, otherwise
    // eventNotHandledStatus (no event, another signature, an id not registered,
    // another kind of event, a paused hot key, no handler).
    static std::int32_t handleCarbonEvent(const Platform::HotKeyEvent* event);

    // The registry, by id.
    static const std::map<std::uint32_t, HotKeyBox>& hotKeys();
    // The last id handed out; ids are 1, 2, 3 ... and never reused.
    static std::uint32_t hotKeysCount();
};

} // namespace HotKey
