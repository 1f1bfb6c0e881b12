#pragma once

#include "Platform/Desktop/KeyboardMapping.h"
#include "Platform/Desktop/X11Error.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace Platform {

// Frees what XCB allocated: replies and events.
struct X11Free {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <class T>
using X11Owned = std::unique_ptr<T, X11Free>;

// The server's reply to one request, or the error it sent instead.
template <class Reply>
class X11Reply {
public:
    X11Reply(Reply* reply, std::optional<X11Error> error) : reply_(reply), error_(std::move(error)) {}

    explicit operator bool() const { return reply_ != nullptr; }
    const Reply* operator->() const { return reply_.get(); }
    const Reply* get() const { return reply_.get(); }
    // Set exactly when there is no reply.
    const std::optional<X11Error>& error() const { return error_; }

private:
    X11Owned<Reply> reply_;
    std::optional<X11Error> error_;
};

// A connection to the X display, built on XCB rather than Xlib: every failed
// request comes back to the code that made it, as the error of its reply or of
// a checked request, instead of going to a process-wide handler whose default
// ends the program. A window that closes in the middle of a query (BadWindow)
// or a key that another program has grabbed (BadAccess) is thus an ordinary
// result. The process shares one connection, shared(), for the active-window
// query and synthetic key events. Global hot keys keep a connection of their
// own, whose events only the main thread reads: a request made on a shared
// connection by another thread can take their key events into its queue,
// where nothing wakes the main thread to read them.
//
// Requests and replies may be made from any thread; events are read by one.
class X11Connection {
public:
    // The process's connection to $DISPLAY, opened on first use. Throws
    // X11Unavailable while none can be opened; a later call tries again.
    static X11Connection& shared();

    // Opens the display of that name (for example ":1"), else $DISPLAY. Throws
    // X11Unavailable with the reason when that fails.
    explicit X11Connection(const std::optional<std::string>& displayName = std::nullopt);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // For sending requests: connection.check(xcb_grab_key_checked(connection.raw(), ...)).
    xcb_connection_t* raw() const { return connection_; }
    const xcb_screen_t& screen() const { return *screen_; }
    // The number of that screen on the display (the 1 of ":0.1").
    int screenNumber() const { return screenNumber_; }
    xcb_window_t root() const { return screen_->root; }

    // Waits for the outcome of a request sent with its *_checked function: none
    // when the server carried it out.
    std::optional<X11Error> check(xcb_void_cookie_t cookie) const;

    // Waits for the reply to a request, for example
    // reply(xcb_get_property_reply, xcb_get_property(raw(), ...)).
    template <class Reply, class Cookie>
    X11Reply<Reply> reply(Reply* (*replyFunction)(xcb_connection_t*, Cookie, xcb_generic_error_t**),
                          Cookie cookie) const
    {
        xcb_generic_error_t* error = nullptr;
        Reply* answer = replyFunction(connection_, cookie, &error);
        return X11Reply<Reply>(answer, failure(X11Owned<xcb_generic_error_t>(error), answer != nullptr));
    }

    // The atom of that name, created when the server has none yet.
    xcb_atom_t atom(std::string_view name);

    // Sends the queued requests without waiting.
    void flush() const;
    // Sends the queued requests and waits until the server has carried them out.
    void sync() const { sync(connection_); }
    // The same for any XCB connection, Qt's own for one.
    static void sync(xcb_connection_t* connection);

    // The current key table, read afresh.
    KeyboardMapping keyboardMapping() const;
    // The modifier bit (XCB_MOD_MASK_...) that the key producing `keysym` sets,
    // for example Mod2 for Num_Lock on most keyboards; 0 when no modifier does.
    std::uint16_t modifierMask(xcb_keysym_t keysym) const;

    // Whether the server takes synthetic input (the XTEST extension).
    bool hasXTest() const { return hasXTest_; }
    // Presses or releases a key as if typed on the keyboard: the event goes
    // where a real one would. BadRequest when the server lacks XTEST.
    std::optional<X11Error> fakeKeyEvent(xcb_keycode_t keycode, bool press) const;

    // Readable when events have arrived; then pollForEvent() hands them out,
    // and nothing once none is left.
    int fileDescriptor() const;
    // Errors of requests sent unchecked arrive among the events: they go to
    // the error handler (by default they are dropped), never to the caller.
    X11Owned<xcb_generic_event_t> pollForEvent();
    // Set before events are read, on the thread that reads them.
    void setErrorHandler(std::function<void(const X11Error&)> handler);

private:
    // The error to report for a request: the server's, a broken connection, or
    // none when it succeeded.
    std::optional<X11Error> failure(X11Owned<xcb_generic_error_t> error, bool answered) const;

    xcb_connection_t* connection_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
    int screenNumber_ = 0;
    bool hasXTest_ = false;
    std::mutex atomsMutex_;
    std::unordered_map<std::string, xcb_atom_t> atoms_;
    std::function<void(const X11Error&)> errorHandler_;
};

} // namespace Platform
