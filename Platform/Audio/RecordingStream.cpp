#include "Platform/Audio/RecordingStream.h"

#include "Platform/Audio/AudioSources.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace Platform::Audio {

namespace {

// The server hands samples over every 20 ms (at the latest), so that a
// caller's frame is complete soon after its last sample was recorded, without
// waking this process and the server more often than needed.
constexpr unsigned fragmentsPerSecond = 50;

void recordOutcome(pa_stream*, int success, void* succeeded)
{
    *static_cast<bool*>(succeeded) = success != 0;
}

} // namespace

RecordingStream::RecordingStream(const SoundServerConnection& connection, unsigned sampleRate, Callbacks callbacks)
    : connection_(connection), callbacks_(std::move(callbacks)), sourceName_(defaultRecordingSource(connection).name),
      sampleRate_(sampleRate), channelCount_(1)
{
    open();
}

RecordingStream::RecordingStream(const SoundServerConnection& connection, const AudioSource& source,
                                 Callbacks callbacks)
    : connection_(connection), callbacks_(std::move(callbacks)), sourceName_(source.name),
      sampleRate_(source.sampleRate), channelCount_(static_cast<unsigned>(std::max(source.channelCount, 0)))
{
    open();
}

void RecordingStream::open()
{
    SoundServerConnection::Lock lock(connection_);
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, sampleRate_, static_cast<std::uint8_t>(channelCount_)};
    if (!pa_sample_spec_valid(&format) || channelCount_ > PA_CHANNELS_MAX)
        throw SoundServerError(PA_ERR_INVALID, "cannot record " + std::to_string(channelCount_) + " channels at " +
                                                   std::to_string(sampleRate_) + " Hz");
    stream_ = pa_stream_new(connection_.context(), "Recording", &format, nullptr);
    if (!stream_)
        throw connection_.lastError("cannot create a recording stream");
    pa_stream_set_state_callback(stream_, onStateChange, this);
    pa_stream_set_read_callback(stream_, onReadable, this);
    pa_buffer_attr buffering;
    buffering.maxlength = static_cast<std::uint32_t>(-1);
    buffering.tlength = buffering.prebuf = buffering.minreq = static_cast<std::uint32_t>(-1);
    buffering.fragsize = static_cast<std::uint32_t>(pa_bytes_per_second(&format) / fragmentsPerSecond);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_DONT_MOVE | PA_STREAM_ADJUST_LATENCY);
    try {
        if (pa_stream_connect_record(stream_, sourceName_.c_str(), &buffering, flags) < 0)
            throw connection_.lastError("cannot record from \"" + sourceName_ + "\"");
        connection_.waitUntil(lock, [this] {
            const pa_stream_state_t state = pa_stream_get_state(stream_);
            if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
                throw connection_.lastError("cannot record from \"" + sourceName_ + "\"");
            return state == PA_STREAM_READY;
        });
    } catch (...) {
        release();
        throw;
    }
}

RecordingStream::~RecordingStream()
{
    SoundServerConnection::Lock lock(connection_);
    release();
}

void RecordingStream::release()
{
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)))
        pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
}

void RecordingStream::start()
{
    setCorked(false, "start");
}

void RecordingStream::pause()
{
    setCorked(true, "pause");
}

void RecordingStream::setCorked(bool corked, const char* action)
{
    SoundServerConnection::Lock lock(connection_);
    bool succeeded = false;
    connection_.finish(lock, pa_stream_cork(stream_, corked ? 1 : 0, recordOutcome, &succeeded));
    if (!succeeded)
        throw connection_.lastError(std::string("cannot ") + action + " recording from \"" + sourceName_ + "\"");
}

void RecordingStream::onStateChange(pa_stream* stream, void* self)
{
    auto* recording = static_cast<RecordingStream*>(self);
    recording->connection_.wake();
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY)
        recording->ready_ = true;
    // A stream that fails while it is being set up is the constructor's failure.
    if ((state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED) || !recording->ready_)
        return;
    recording->ready_ = false;
    const bool serverGone = pa_context_get_state(recording->connection_.context()) != PA_CONTEXT_READY;
    if (recording->callbacks_.onEnded)
        recording->callbacks_.onEnded(serverGone ? End::serverGone : End::sourceGone,
                                      recording->connection_.lastError());
}

void RecordingStream::onReadable(pa_stream* stream, std::size_t, void* self)
{
    auto* recording = static_cast<RecordingStream*>(self);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        // No data with a length is a hole: audio the server lost. Leaving it
        // out keeps what was said on either side of it together.
        if (data && recording->callbacks_.onSamples)
            recording->callbacks_.onSamples({static_cast<const float*>(data), bytes / sizeof(float)});
        pa_stream_drop(stream);
    }
}

} // namespace Platform::Audio
