#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

namespace TestSupport {

// Generous: the desktop may be slow under sanitizers on a busy machine, and a
// wait that succeeds returns at once.
inline constexpr std::chrono::milliseconds defaultWaitLimit{20000};

// Checks `condition` until it holds or `limit` has passed; tells whether it
// held. Meanwhile the Qt events of this thread are processed when a Qt
// application exists, so windows and queued calls make progress.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = defaultWaitLimit);

// Runs `work` on a thread of its own, as the application's workers would, while
// this thread goes on processing its Qt events; returns once `work` is done.
void runOnWorkerThread(const std::function<void()>& work);

// Waits for a window on the shared X connection whose WM_CLASS instance or
// class is `name`; its id, or none when it did not appear in time.
std::optional<xcb_window_t> waitForWindow(std::string_view name, std::chrono::milliseconds limit = defaultWaitLimit);

} // namespace TestSupport
