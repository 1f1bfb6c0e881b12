#pragma once

#include "Platform/Audio/PCMBuffer.h"
#include "Platform/CoreML/MLMultiArray.h"
#include "RadozodEri/Core/Audio/AudioInputConfig.h"
#include "RadozodEri/Core/Audio/SampleStream.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace RadozodEri {

// What the audio stage hands to the feature extractor.
using AudioProcessorOutputType = Platform::CoreML::MLMultiArray;

// The samples of one loaded file, or the error loading it threw.
using AudioLoadOutcome = std::variant<std::vector<float>, std::exception_ptr>;

// Receives every captured buffer of 16 kHz mono samples.
using AudioBufferCallback = std::function<void(const std::vector<float>& samples)>;

// An image whose pixels are raw bytes: 4 bytes a pixel (alpha first,
// premultiplied, read as 32-bit little-endian words), rows one after another.
struct WaveformImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // 4 × width × height bytes
};

// The engine's replaceable audio stage: cuts windows for the models, and keeps
// the samples and energy of live capture.
class AudioProcessing {
public:
    virtual ~AudioProcessing() = default;

    // Every captured sample since the last capture start (a copy).
    virtual std::vector<float> audioSamples() const = 0;
    // Keeps only the newest `keepingLast` samples.
    virtual void purgeAudioSamples(std::int64_t keepingLast) = 0;
    // The relative energy of each captured buffer, 0 to 1.
    virtual std::vector<float> relativeEnergy() const = 0;
    virtual int relativeEnergyWindow() const = 0;
    virtual void setRelativeEnergyWindow(int window) = 0;

    // Capture from the device (the default input when absent). Throws.
    virtual void startRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt,
                                    AudioBufferCallback callback = {}) = 0;
    // Capture whose buffers go into the returned stream, which ends with the
    // start's error when it fails.
    virtual std::pair<SampleStream, SampleStreamContinuation>
    startStreamingRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt) = 0;
    virtual void pauseRecording() = 0;
    virtual void stopRecording() = 0;
    virtual void resumeRecordingLive(std::optional<std::uint32_t> inputDeviceID = std::nullopt,
                                     AudioBufferCallback callback = {}) = 0;

    // One model window of `toLength` samples from `startAt` on, padded with
    // zeros; nothing (and an error line) for a start outside the samples.
    virtual std::optional<AudioProcessorOutputType> padOrTrim(const std::vector<float>& fromArray, std::int64_t startAt,
                                                              std::int64_t toLength) = 0;

    // Shared by every implementation:

    // `padOrTrim` itself; `saveSegment` changes nothing. A length below 1
    // logs and gives nothing too.
    static std::optional<AudioProcessorOutputType> padOrTrimAudio(const std::vector<float>& fromArray,
                                                                  std::int64_t startAt = 0,
                                                                  std::int64_t toLength = 480000,
                                                                  bool saveSegment = false);
    // Loads the whole file, all channels summed, on a thread of its own.
    static std::future<Platform::Audio::PCMBuffer> loadAudioAsync(const std::string& fromPath);
    // The samples' raw bytes as pixels of an image of that size; nothing when a
    // side is below 1 or the samples hold too few bytes.
    static std::optional<WaveformImage> createWaveformImage(const std::vector<float>& fromAudio, double width,
                                                            double height);
};

} // namespace RadozodEri
