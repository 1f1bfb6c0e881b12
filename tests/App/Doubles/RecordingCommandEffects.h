#pragma once

#include "App/Processing/CommandEffects.h"

#include <mutex>
#include <vector>

namespace QEL::Testing {

// Records what executing voice commands does, in order, and keeps a pasteboard
// in memory. Deferred work waits until the test runs it.
class RecordingCommandEffects : public CommandEffects {
public:
    struct KeyPress {
        Key key = Key::a;
        ModifierFlags flags;
        bool operator==(const KeyPress&) const = default;
    };
    struct Deferred {
        std::chrono::milliseconds delay{0};
        std::function<void()> work;
    };

    void pressKey(Key key, ModifierFlags flags) override {
        std::lock_guard lock(mutex);
        presses.push_back({key, flags});
        pasteboardAtEachPress.push_back(pasteboard);
    }
    std::optional<std::string> pasteboardString() override {
        std::lock_guard lock(mutex);
        return pasteboard;
    }
    void setPasteboardString(const std::string& text) override {
        std::lock_guard lock(mutex);
        pasteboard = text;
    }
    void runOnMainThreadAfter(std::chrono::milliseconds delay, std::function<void()> work) override {
        std::lock_guard lock(mutex);
        deferred.push_back({delay, std::move(work)});
    }
    void stopDictation() override {
        std::lock_guard lock(mutex);
        ++stopRequests;
    }

    // Runs the deferred work as the main thread would once its delay passed.
    void runDeferred() {
        std::vector<Deferred> due;
        {
            std::lock_guard lock(mutex);
            due.swap(deferred);
        }
        for (Deferred& item : due) item.work();
    }

    std::mutex mutex;
    std::vector<KeyPress> presses;
    std::vector<std::optional<std::string>> pasteboardAtEachPress;
    std::optional<std::string> pasteboard;
    std::vector<Deferred> deferred;
    int stopRequests = 0;
};

} // namespace QEL::Testing
