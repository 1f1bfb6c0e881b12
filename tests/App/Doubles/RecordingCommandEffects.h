#pragma once

#include "App/Processing/CommandEffects.h"

#include <mutex>
#include <string>
#include <vector>

namespace QEL::Testing {

// Records what executing voice commands does, in order.
class RecordingCommandEffects : public CommandEffects {
public:
    struct KeyPress {
        Key key = Key::a;
        ModifierFlags flags;
        bool operator==(const KeyPress&) const = default;
    };
    struct Paste {
        std::string text;
        std::chrono::milliseconds restoreDelay{0};
        bool operator==(const Paste&) const = default;
    };

    void pressKey(Key key, ModifierFlags flags) override {
        std::lock_guard lock(mutex);
        presses.push_back({key, flags});
    }
    void pasteText(const std::string& text, std::chrono::milliseconds restoreDelay) override {
        std::lock_guard lock(mutex);
        pastes.push_back({text, restoreDelay});
    }
    void stopDictation() override {
        std::lock_guard lock(mutex);
        ++stopRequests;
    }

    std::mutex mutex;
    std::vector<KeyPress> presses;
    std::vector<Paste> pastes;
    int stopRequests = 0;
};

} // namespace QEL::Testing
