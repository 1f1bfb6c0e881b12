#pragma once

#include "Platform/EventLoop/DistributedNotificationObserver.h"

#include <memory>

namespace QEL {

class AppState;
class OverlayController;

// Runs the application's launch sequence and its shut-down step.
class AppDelegate {
public:
    explicit AppDelegate(AppState& state);
    ~AppDelegate();

    // Opens the debug log, then queues the rest of the launch to the main
    // thread's event loop and returns.
    void applicationDidFinishLaunching();
    // Stops a recording in progress and saves its text.
    void applicationWillTerminate();

private:
    void launch();
    void listenForRemoteToggle();

    AppState& state_;
    std::unique_ptr<Platform::DistributedNotificationObserver> remoteToggle_;
    std::unique_ptr<OverlayController> overlayController_;
};

} // namespace QEL
