#include "App/Audio/AudioCaptureManager.h"

#include "App/AppIdentity.h"
#include "App/Utils/FileLogger.h"
#include "Platform/Audio/FrameAssembler.h"
#include "Platform/Audio/RecordingStream.h"
#include "Platform/Audio/SoundServerConnection.h"
#include "Platform/EventLoop/MainThread.h"

#include <exception>

namespace QEL {

using Platform::Audio::RecordingStream;
using Platform::Audio::SoundServerConnection;
using Platform::Audio::SoundServerError;

// One recording: its own connection to the sound server, the stream, and the
// callbacks it delivers to. Buffers and the end travel from the connection's
// thread to the main thread holding it only weakly, so that nothing reaches a
// recording that has been stopped, or a manager that is gone.
struct AudioCaptureManager::Session {
    BufferCallback onBuffer;
    EndCallback onEnded;
    Platform::Audio::FrameAssembler buffers{samplesPerBuffer}; // the connection's thread only
    // Declared before the stream, so that the stream is closed first.
    std::unique_ptr<SoundServerConnection> connection;
    std::unique_ptr<RecordingStream> stream;
};

namespace {

std::string endReason(RecordingStream::End end, const SoundServerError& error)
{
    const char* what =
        end == RecordingStream::End::serverGone ? "the sound server went away" : "the microphone went away";
    return std::string(what) + " (" + error.what() + ")";
}

} // namespace

AudioCaptureManager::~AudioCaptureManager()
{
    stopCapture();
}

void AudioCaptureManager::startCapture(BufferCallback onBuffer, EndCallback onEnded)
{
    if (session_)
        return;
    auto session = std::make_shared<Session>();
    session->onBuffer = std::move(onBuffer);
    session->onEnded = std::move(onEnded);
    const std::weak_ptr<Session> weakSession = session;
    RecordingStream::Callbacks callbacks{
        .onSamples =
            [this, recording = session.get(), weakSession](std::span<const float> samples) {
                recording->buffers.append(samples, [&](std::vector<float> buffer) {
                    Platform::runOnMainThread(weakSession, [this, buffer = std::move(buffer)](Session& live) mutable {
                        deliver(live, std::move(buffer));
                    });
                });
            },
        .onEnded =
            [this, weakSession](RecordingStream::End how, const SoundServerError& error) {
                Platform::runOnMainThread(weakSession, [this, reason = endReason(how, error)](Session& live) {
                    end(live, AudioCaptureError::captureEnded(reason));
                });
            },
    };
    try {
        session->connection = std::make_unique<SoundServerConnection>(AppIdentity::name);
        session->stream = std::make_unique<RecordingStream>(*session->connection, sampleRate, std::move(callbacks));
    } catch (const SoundServerError& error) {
        FileLogger::log(std::string("Failed to create AudioQueue: ") + error.what());
        std::throw_with_nested(AudioCaptureError::noInputDevice());
    }
    try {
        session->stream->start();
    } catch (const SoundServerError& error) {
        FileLogger::log(std::string("Failed to start AudioQueue: ") + error.what());
        session.reset(); // the stream that never ran goes before the error does
        std::throw_with_nested(AudioCaptureError::noInputDevice());
    }
    session_ = std::move(session);
    FileLogger::log("AudioQueue capture started (16kHz Float32 mono)");
}

void AudioCaptureManager::stopCapture()
{
    if (!session_)
        return;
    session_.reset();
    FileLogger::log("AudioQueue capture stopped");
}

void AudioCaptureManager::deliver(Session& session, std::vector<float> buffer)
{
    if (&session != session_.get())
        return;
    gainControl_.process(buffer);
    // The session outlives this call even when the callback stops the
    // recording; the manager is not touched again after it.
    if (session.onBuffer)
        session.onBuffer(buffer);
}

void AudioCaptureManager::end(Session& session, const AudioCaptureError& error)
{
    if (&session != session_.get())
        return;
    session_.reset();
    FileLogger::log(error.what());
    if (session.onEnded)
        session.onEnded(error);
}

} // namespace QEL
