#pragma once

#include <xcb/xcb.h>

#include <string>

namespace TestSupport {

// A plain X window on the shared connection, shown at creation and destroyed
// with the object, whose WM_CLASS is `instance` and `className`.
class TestWindow {
public:
    TestWindow(const std::string& instance, const std::string& className);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    xcb_window_t id() const { return window_; }

    // Asks the window manager to make this the active window, as a task bar
    // would (_NET_ACTIVE_WINDOW).
    void activate() const;

private:
    xcb_window_t window_;
};

} // namespace TestSupport
