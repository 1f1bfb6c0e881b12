#include "Support/Waiting.h"

#include "Platform/Desktop/X11Connection.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace TestSupport {

namespace {

bool hasClass(Platform::X11Connection& connection, xcb_window_t window, std::string_view name)
{
    auto wmClass =
        connection.reply(xcb_get_property_reply,
                         xcb_get_property(connection.raw(), 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256));
    if (!wmClass)
        return false;
    // The instance and the class, each ending in NUL.
    const std::string value(static_cast<const char*>(xcb_get_property_value(wmClass.get())),
                            static_cast<std::size_t>(xcb_get_property_value_length(wmClass.get())));
    for (std::size_t start = 0; start < value.size();) {
        const std::size_t end = std::min(value.find('\0', start), value.size());
        if (std::string_view(value).substr(start, end - start) == name)
            return true;
        start = end + 1;
    }
    return false;
}

// Depth first below `window`: window managers put each client in a frame.
std::optional<xcb_window_t> findWindow(Platform::X11Connection& connection, xcb_window_t window, std::string_view name)
{
    if (hasClass(connection, window, name))
        return window;
    auto tree = connection.reply(xcb_query_tree_reply, xcb_query_tree(connection.raw(), window));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const std::vector<xcb_window_t> list(children, children + xcb_query_tree_children_length(tree.get()));
    for (xcb_window_t child : list) {
        if (auto found = findWindow(connection, child, name))
            return found;
    }
    return std::nullopt;
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void runOnWorkerThread(const std::function<void()>& work)
{
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
    });
    waitUntil([&] { return done.load(); }, std::chrono::hours(1));
    worker.join();
}

std::optional<xcb_window_t> waitForWindow(std::string_view name, std::chrono::milliseconds limit)
{
    Platform::X11Connection& connection = Platform::X11Connection::shared();
    std::optional<xcb_window_t> window;
    waitUntil([&] { return (window = findWindow(connection, connection.root(), name)).has_value(); }, limit);
    return window;
}

} // namespace TestSupport
