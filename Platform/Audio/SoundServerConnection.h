#pragma once

#include "Platform/Audio/SoundServerError.h"

#include <chrono>
#include <functional>
#include <string>

struct pa_context;
struct pa_operation;
struct pa_threaded_mainloop;

namespace Platform::Audio {

// A connection to the user's sound server, with a thread of its own that runs
// the server's callbacks. Whatever is built on it (streams, listings,
// subscriptions) holds its lock for every call into the client library. The
// callbacks run on the connection's thread with the lock held, so they must
// neither block nor wait.
class SoundServerConnection {
public:
    // How long connecting, or any one request after it, may take: a server that
    // hangs holds its caller up no longer than this.
    static constexpr std::chrono::seconds timeLimit{5};

    // Connects to the server the environment names (PULSE_SERVER, or the usual
    // places), as `clientName`; never starts a server. Throws SoundServerError.
    explicit SoundServerConnection(const std::string& clientName);
    // Not on the connection's own thread.
    ~SoundServerConnection();
    SoundServerConnection(const SoundServerConnection&) = delete;
    SoundServerConnection& operator=(const SoundServerConnection&) = delete;

    // Holds the connection's lock while it lives.
    class Lock {
    public:
        explicit Lock(const SoundServerConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* mainloop_;
    };

    // Called once, on the connection's thread, when the connection is lost
    // after it was made: the server went away or closed it.
    void setOnLost(std::function<void(const SoundServerError&)> onLost);

    // With the lock held: waits until `done` holds. Throws SoundServerError when
    // the connection fails or the time limit passes first. A callback that can
    // make `done` true must call wake().
    void waitUntil(const Lock& held, const std::function<bool()>& done) const;
    // With the lock held: waits until `operation` (which may be null: the
    // request was refused) has finished, and releases it. Throws as waitUntil.
    void finish(const Lock& held, pa_operation* operation) const;
    // Wakes whatever waitUntil is waiting; for callbacks.
    void wake() const;

    // The server's error for the last request that failed, as an exception.
    SoundServerError lastError(const std::string& detail = {}) const;

    pa_context* context() const { return context_; }

private:
    static void onStateChange(pa_context* context, void* self);
    void disconnect();

    pa_threaded_mainloop* mainloop_ = nullptr;
    pa_context* context_ = nullptr;
    bool ready_ = false; // connection's thread, under the lock
    std::function<void(const SoundServerError&)> onLost_;
};

} // namespace Platform::Audio
