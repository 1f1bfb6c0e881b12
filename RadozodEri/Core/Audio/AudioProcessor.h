#pragma once

#include "Platform/Audio/AudioConverter.h"
#include "Platform/Audio/AudioFile.h"
#include "Platform/Audio/PCMBuffer.h"
#include "RadozodEri/Core/Audio/AudioDevice.h"
#include "RadozodEri/Core/Audio/AudioInputConfig.h"
#include "RadozodEri/Core/Audio/AudioProcessing.h"
#include "RadozodEri/Core/Audio/CaptureEngine.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace RadozodEri {

class AudioProcessor;

// How a capture's stream reaches its processor: cleared when the processor
// goes, so that a stream ending later never touches it.
struct ProcessorLink {
    std::mutex mutex;
    AudioProcessor* processor = nullptr;
};

// The energy of one captured buffer.
struct AudioEnergy {
    float rel = 0; // relative energy, 0 to 1
    float avg = 0; // root mean square
    float max = 0; // largest magnitude
    float min = 0; // smallest magnitude
    bool operator==(const AudioEnergy&) const = default;
};

// The engine's audio stage: loads and converts audio files to 16 kHz mono,
// cuts model windows, and records the microphone into a growing sample buffer
// with one energy entry per captured buffer. Releasing it stops its capture.
class AudioProcessor : public AudioProcessing {
public:
    using ChannelMode = AudioInputConfig::ChannelMode;
    using PCMBuffer = Platform::Audio::PCMBuffer;

    static constexpr double targetSampleRate = 16000;
    // Frames copied at a time into sample arrays.
    static constexpr int copyChunkFrames = 1024;
    // Frame counts of files and buffers stay below this.
    static constexpr std::int64_t frameCountLimit = std::int64_t{1} << 32;

    AudioProcessor();
    ~AudioProcessor() override;
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;

    // Files. Loaders throw WhisperError::loadAudioFailed; the conversion
    // steps log their failure and return nothing.

    // The file (or its part between the times, in seconds) as 16 kHz mono.
    static PCMBuffer loadAudio(const std::string& fromPath, const ChannelMode& channelMode,
                               std::optional<double> startTime = std::nullopt,
                               std::optional<double> endTime = std::nullopt,
                               std::optional<std::int64_t> maxReadFrameSize = std::nullopt);
    static PCMBuffer loadAudio(Platform::Audio::AudioFile& fromFile, const ChannelMode& channelMode,
                               std::optional<double> startTime = std::nullopt,
                               std::optional<double> endTime = std::nullopt,
                               std::optional<std::int64_t> maxReadFrameSize = std::nullopt);
    // From the file's read position on, `frameCount` frames (absent: the
    // file's length), read `maxReadFrameSize` frames at a time.
    static std::optional<PCMBuffer> resampleAudio(Platform::Audio::AudioFile& fromFile, double toSampleRate,
                                                  unsigned channelCount, const ChannelMode& channelMode,
                                                  std::optional<std::int64_t> frameCount,
                                                  std::int64_t maxReadFrameSize);
    static std::optional<PCMBuffer> resampleAudio(const PCMBuffer& fromBuffer, double toSampleRate,
                                                  unsigned channelCount);
    // Throws WhisperError::audioProcessingFailed.
    static PCMBuffer resampleBuffer(const PCMBuffer& buffer, Platform::Audio::AudioConverter& converter);
    static std::optional<PCMBuffer> convertToMono(const PCMBuffer& buffer, const ChannelMode& mode);
    // Channel 0, `chunkSize` frames at a time, each cleared in the buffer once
    // copied. A chunk size below 1 logs and gives nothing.
    static std::vector<float> convertBufferToArray(PCMBuffer& buffer, int chunkSize);
    // The whole file (or its part) as samples, loaded 600 s at a time.
    static std::vector<float> loadAudioAsFloatArray(const std::string& fromPath, const ChannelMode& channelMode,
                                                    std::optional<double> startTime = std::nullopt,
                                                    std::optional<double> endTime = std::nullopt);
    // Every path at once, one thread each; an outcome per path, in their order.
    static std::vector<AudioLoadOutcome> loadAudio(const std::vector<std::string>& at, const ChannelMode& channelMode);

    // Energy.

    static float calculateAverageEnergy(std::span<const float> signal);
    // avg, max and min; rel is 0.
    static AudioEnergy calculateEnergy(std::span<const float> signal);
    // The signal's level in decibels placed between the reference's (0; -60 dB
    // without one) and full scale (1).
    static float calculateRelativeEnergy(std::span<const float> signal, std::optional<float> relativeTo);
    // Whether the buffers (one per 0.1 s) that the next `nextBufferInSeconds`
    // look back over, leaving out the newest second, hold a level above the
    // threshold.
    static bool isVoiceDetected(std::span<const float> energy, float nextBufferInSeconds, float silenceThreshold);
    // One flag per frame: its root mean square is above the threshold.
    static std::vector<bool> calculateVoiceActivityInChunks(std::span<const float> signal, std::int64_t chunkCount,
                                                            std::int64_t frameLengthSamples,
                                                            std::int64_t frameOverlapSamples, float energyThreshold);
    // The voiced sample ranges, as the default energy detector finds them.
    static std::vector<std::pair<std::int64_t, std::int64_t>> calculateNonSilentChunks(std::span<const float> signal);

    // Live state.

    std::vector<float> audioSamples() const override;
    std::vector<AudioEnergy> audioEnergy() const;
    std::vector<float> relativeEnergy() const override;
    void purgeAudioSamples(std::int64_t keepingLast) override;
    int relativeEnergyWindow() const override;
    // A window below 1 is refused (std::invalid_argument).
    void setRelativeEnergyWindow(int window) override;
    AudioBufferCallback audioBufferCallback() const;
    void setAudioBufferCallback(AudioBufferCallback callback);
    int minBufferLength() const;
    // Frames of each captured buffer, from the next capture start on; a length
    // below 1 is refused (std::invalid_argument).
    void setMinBufferLength(int length);
    bool isInputSuppressed() const;
    void setInputSuppressed(bool suppressed);
    std::optional<std::uint32_t> lastInputDevice() const;

    // One captured buffer of 16 kHz mono samples: kept, scored and handed on.
    void processBuffer(const std::vector<float>& buffer);

    // Capture. Devices are the sound server's source indexes.

    void startRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt,
                            AudioBufferCallback callback = {}) override;
    std::pair<SampleStream, SampleStreamContinuation>
    startStreamingRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt) override;
    void pauseRecording() override;
    void stopRecording() override;
    void resumeRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt,
                             AudioBufferCallback callback = {}) override;
    // Zeros in place of the samples while input is suppressed.
    void suppressInputIfNeeded(std::vector<float>& samples) const;

    static std::vector<AudioDevice> getAudioDevices();
    static bool requestRecordPermission();

    std::optional<AudioProcessorOutputType> padOrTrim(const std::vector<float>& fromArray, std::int64_t startAt,
                                                      std::int64_t toLength) override;

private:
    // A running capture whose buffers reach processBuffer.
    std::unique_ptr<CaptureEngine> setupEngine(std::optional<std::uint32_t> inputDeviceID);
    // What the capture does with each buffer of the source's format.
    void receiveCaptured(PCMBuffer& buffer, Platform::Audio::AudioConverter& converter);

    // The owner's capture calls take turns.
    mutable std::mutex captureMutex_;
    std::unique_ptr<CaptureEngine> audioEngine_;
    std::optional<std::uint32_t> lastInputDevice_;

    // The capture thread writes these while the owner reads them.
    mutable std::mutex stateMutex_;
    std::vector<float> audioSamples_;
    std::vector<AudioEnergy> audioEnergy_;
    AudioBufferCallback audioBufferCallback_;
    int relativeEnergyWindow_ = 20;
    int minBufferLength_ = 1600;
    bool isInputSuppressed_ = false;

    // Cleared when the processor goes, so a stream's end never reaches it after.
    std::shared_ptr<ProcessorLink> link_ = std::make_shared<ProcessorLink>();
};

} // namespace RadozodEri
