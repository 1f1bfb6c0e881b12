// Live capture from the sound server into the processor's sample buffer.

#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "Platform/Audio/MicrophoneAccess.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

namespace RadozodEri {

using Platform::Audio::AudioConverter;
using Platform::Audio::PCMBuffer;
using Platform::Audio::SoundServerError;
using RuntimeCore::Logging;

namespace {

// How the engine introduces itself to the sound server.
constexpr const char* soundServerClientName = "RadozodEri";

// Points the capture at the device; when it cannot, the capture keeps the
// default source.
void assignAudioInput(CaptureEngine& engine, std::uint32_t inputDeviceID)
{
    try {
        engine.selectSource(inputDeviceID);
        Logging::info("Successfully set input device.");
    } catch (const SoundServerError& error) {
        Logging::error(std::string("Error setting Audio Unit property: ") + error.what());
    }
}

} // namespace

std::unique_ptr<CaptureEngine> AudioProcessor::setupEngine(std::optional<std::uint32_t> inputDeviceID)
{
    auto engine = std::make_unique<CaptureEngine>(soundServerClientName);
    if (inputDeviceID)
        assignAudioInput(*engine, *inputDeviceID);
    if (!engine->hasSource())
        engine->selectDefaultSource();
    const Platform::Audio::AudioFormat nodeFormat = engine->sourceFormat();
    if (!PCMBuffer::make(nodeFormat, 0))
        throw WhisperError::audioProcessingFailed("Failed to create node format");
    const Platform::Audio::AudioFormat desiredFormat{targetSampleRate, 1};
    std::optional<AudioConverter> made =
        AudioConverter::make(nodeFormat, desiredFormat, AudioConverter::Flow::continuingStream);
    if (!made)
        throw WhisperError::audioProcessingFailed("Failed to create audio converter");
    // One converter serves every buffer of this capture, as one stream, so
    // no seam opens where one buffer meets the next.
    auto converter = std::make_shared<AudioConverter>(std::move(*made));
    engine->installTap(static_cast<std::uint32_t>(minBufferLength()),
                       [this, converter](PCMBuffer& buffer) { receiveCaptured(buffer, *converter); });
    engine->start();
    return engine;
}

void AudioProcessor::receiveCaptured(PCMBuffer& buffer, AudioConverter& converter)
{
    std::optional<PCMBuffer> converted;
    if (buffer.format().sampleRate != targetSampleRate) {
        try {
            converted = resampleBuffer(buffer, converter);
        } catch (const WhisperError& error) {
            Logging::error(std::string("Failed to resample buffer: ") + error.what());
            return;
        }
    }
    std::vector<float> samples = convertBufferToArray(converted ? *converted : buffer, copyChunkFrames);
    suppressInputIfNeeded(samples);
    processBuffer(samples);
}

void AudioProcessor::startRecordingLive(std::optional<std::uint32_t> inputDeviceID, AudioBufferCallback callback)
{
    const std::lock_guard lock(captureMutex_);
    // Stopped before anything else, so that no buffer of it lands in the
    // emptied sample buffer or beside the new capture's.
    audioEngine_.reset();
    {
        const std::lock_guard stateLock(stateMutex_);
        audioSamples_.clear();
        audioEnergy_.clear();
    }
    std::unique_ptr<CaptureEngine> engine = setupEngine(inputDeviceID);
    audioEngine_ = std::move(engine);
    setAudioBufferCallback(std::move(callback));
    lastInputDevice_ = inputDeviceID;
}

std::pair<SampleStream, SampleStreamContinuation>
AudioProcessor::startStreamingRecordingLive(std::optional<std::uint32_t> inputDeviceID)
{
    auto [stream, continuation] = SampleStream::make();
    stream.setOnTermination([link = link_] {
        const std::lock_guard lock(link->mutex);
        if (!link->processor)
            return;
        link->processor->setAudioBufferCallback({});
        link->processor->stopRecording();
    });
    try {
        startRecordingLive(inputDeviceID,
                           [continuation](const std::vector<float>& samples) { continuation.yield(samples); });
    } catch (...) {
        continuation.finish(std::current_exception());
    }
    return {std::move(stream), continuation};
}

void AudioProcessor::pauseRecording()
{
    const std::lock_guard lock(captureMutex_);
    if (!audioEngine_)
        return;
    try {
        audioEngine_->pause();
    } catch (const SoundServerError& error) {
        Logging::error(std::string("Failed to pause recording: ") + error.what());
    }
}

void AudioProcessor::stopRecording()
{
    const std::lock_guard lock(captureMutex_);
    audioEngine_.reset();
}

void AudioProcessor::resumeRecordingLive(std::optional<std::uint32_t> inputDeviceID, AudioBufferCallback callback)
{
    const std::lock_guard lock(captureMutex_);
    if (inputDeviceID == lastInputDevice_) {
        if (audioEngine_)
            audioEngine_->start();
    } else {
        // The capture on the other device stops before the new one begins.
        audioEngine_.reset();
        audioEngine_ = setupEngine(inputDeviceID);
    }
    if (callback)
        setAudioBufferCallback(std::move(callback));
}

std::vector<AudioDevice> AudioProcessor::getAudioDevices()
{
    std::vector<Platform::Audio::AudioSource> sources;
    try {
        const Platform::Audio::SoundServerConnection connection(soundServerClientName);
        sources = Platform::Audio::recordingSources(connection);
    } catch (const SoundServerError& error) {
        Logging::error("Error: Unable to get the number of audio devices.");
        Logging::error(error.what());
        return {};
    }
    std::vector<AudioDevice> devices;
    for (const auto& source : sources)
        if (source.channelCount > 0)
            devices.push_back({source.index, source.description});
    return devices;
}

bool AudioProcessor::requestRecordPermission()
{
    switch (Platform::Audio::microphoneAccess(soundServerClientName)) {
    case Platform::Audio::MicrophoneAccess::granted: return true;
    case Platform::Audio::MicrophoneAccess::refused: Logging::error("Microphone access denied"); return false;
    case Platform::Audio::MicrophoneAccess::noInput: break;
    }
    Logging::error("Unknown authorization status");
    return false;
}

} // namespace RadozodEri
