#pragma once

#include "HotKey/KeyCombo.h"

#include "Platform/UUID.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace HotKey {

// A key combination that reaches the program from anywhere on the desktop. It
// is registered from the end of its construction until it is destroyed or
// paused, and calls its handlers when the combination is pressed and
// released. Used on the main thread only.
class HotKey {
public:
    using Handler = std::function<void()>;

    explicit HotKey(KeyCombo keyCombo, Handler keyDownHandler = {}, Handler keyUpHandler = {});
    HotKey(std::uint32_t carbonKeyCode, std::uint32_t carbonModifiers, Handler keyDownHandler = {},
           Handler keyUpHandler = {});
    HotKey(Key key, ModifierFlags modifiers, Handler keyDownHandler = {}, Handler keyUpHandler = {});
    // Unregisters it.
    ~HotKey();
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    const Platform::UUID& identifier() const { return identifier_; }
    const KeyCombo& keyCombo() const { return keyCombo_; }

    // Either may be replaced at any time; an empty one ignores its events.
    Handler keyDownHandler;
    Handler keyUpHandler;

    // While paused the combination is not registered; unpausing registers it
    // again, under a new id.
    bool isPaused() const { return isPaused_; }
    void setPaused(bool paused);

    // Why the last attempt to register failed ("Cannot register the hot key
    // ⌥⇧␣: another application has taken this combination already"); none
    // while it is registered or paused. Unpausing tries again.
    const std::optional<std::string>& registrationError() const { return registrationError_; }

private:
    friend class HotKeysController;

    Platform::UUID identifier_ = Platform::UUID::random();
    KeyCombo keyCombo_;
    bool isPaused_ = false;
    std::optional<std::string> registrationError_;
};

} // namespace HotKey
