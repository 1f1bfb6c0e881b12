#include "Platform/Audio/SoundServerConnection.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/operation.h>
#include <pulse/rtclock.h>
#include <pulse/thread-mainloop.h>

namespace Platform::Audio {

namespace {

struct Deadline {
    pa_threaded_mainloop* mainloop;
    bool passed = false;
};

void onDeadline(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata)
{
    auto* deadline = static_cast<Deadline*>(userdata);
    deadline->passed = true;
    pa_threaded_mainloop_signal(deadline->mainloop, 0);
}

void onOperationStateChange(pa_operation*, void* connection)
{
    static_cast<const SoundServerConnection*>(connection)->wake();
}

} // namespace

SoundServerConnection::Lock::Lock(const SoundServerConnection& connection) : mainloop_(connection.mainloop_)
{
    pa_threaded_mainloop_lock(mainloop_);
}

SoundServerConnection::Lock::~Lock()
{
    pa_threaded_mainloop_unlock(mainloop_);
}

SoundServerConnection::SoundServerConnection(const std::string& clientName)
{
    mainloop_ = pa_threaded_mainloop_new();
    if (!mainloop_ || pa_threaded_mainloop_start(mainloop_) < 0) {
        if (mainloop_)
            pa_threaded_mainloop_free(mainloop_);
        throw SoundServerError(PA_ERR_INTERNAL, "cannot start the thread that talks to the sound server");
    }
    try {
        Lock lock(*this);
        context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), clientName.c_str());
        if (!context_)
            throw SoundServerError(PA_ERR_INTERNAL, "cannot create a sound server context");
        pa_context_set_state_callback(context_, onStateChange, this);
        // Starting a server of our own would only hide the missing one.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            throw lastError();
        waitUntil(lock, [this] { return pa_context_get_state(context_) == PA_CONTEXT_READY; });
    } catch (...) {
        disconnect();
        throw;
    }
}

SoundServerConnection::~SoundServerConnection()
{
    disconnect();
}

void SoundServerConnection::disconnect()
{
    {
        Lock lock(*this);
        onLost_ = nullptr;
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    pa_threaded_mainloop_stop(mainloop_);
    pa_threaded_mainloop_free(mainloop_);
}

void SoundServerConnection::setOnLost(std::function<void(const SoundServerError&)> onLost)
{
    Lock lock(*this);
    onLost_ = std::move(onLost);
}

void SoundServerConnection::onStateChange(pa_context* context, void* self)
{
    auto* connection = static_cast<SoundServerConnection*>(self);
    connection->wake();
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY)
        connection->ready_ = true;
    else if (!PA_CONTEXT_IS_GOOD(state) && connection->ready_) {
        connection->ready_ = false;
        if (connection->onLost_)
            connection->onLost_(connection->lastError());
    }
}

void SoundServerConnection::waitUntil(const Lock&, const std::function<bool()>& done) const
{
    Deadline deadline{mainloop_};
    const pa_usec_t limit = std::chrono::duration_cast<std::chrono::microseconds>(timeLimit).count();
    pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + limit, onDeadline, &deadline);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_);
    try {
        while (!done()) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
                throw lastError();
            if (deadline.passed || !timer)
                throw SoundServerError(PA_ERR_TIMEOUT, "the sound server did not answer in time");
            pa_threaded_mainloop_wait(mainloop_);
        }
    } catch (...) {
        if (timer)
            api->time_free(timer);
        throw;
    }
    if (timer)
        api->time_free(timer);
}

void SoundServerConnection::finish(const Lock& held, pa_operation* operation) const
{
    if (!operation)
        throw lastError();
    pa_operation_set_state_callback(operation, onOperationStateChange, const_cast<SoundServerConnection*>(this));
    try {
        waitUntil(held, [operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    } catch (...) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
        throw;
    }
    pa_operation_unref(operation);
}

void SoundServerConnection::wake() const
{
    pa_threaded_mainloop_signal(mainloop_, 0);
}

SoundServerError SoundServerConnection::lastError(const std::string& detail) const
{
    return SoundServerError(pa_context_errno(context_), detail);
}

} // namespace Platform::Audio
