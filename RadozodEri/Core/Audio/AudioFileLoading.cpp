// Loading audio files as 16 kHz mono samples.

#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Logging/Logging.h"

#include <cmath>
#include <filesystem>
#include <future>
#include <limits>

namespace RadozodEri {

using Platform::Audio::AudioFile;
using Platform::Audio::AudioFileError;
using Platform::Audio::PCMBuffer;
using RuntimeCore::Logging;
using RuntimeCore::textualForm;

namespace {

// The most audio loadAudioAsFloatArray holds in buffers at a time, in seconds.
constexpr double longFileWindow = 600;

std::unique_ptr<AudioFile> openAudioFile(const std::string& path)
{
    if (!std::filesystem::exists(path))
        throw WhisperError::loadAudioFailed("Resource path does not exist " + path);
    return std::make_unique<AudioFile>(path);
}

void requireLoadableLength(const AudioFile& file)
{
    if (file.length() >= AudioProcessor::frameCountLimit)
        throw WhisperError::loadAudioFailed("Audio file is too long: " + std::to_string(file.length()) + " frames");
}

// The frame at `time` seconds, truncated.
std::int64_t frameAt(double time, double sampleRate, const char* which)
{
    const double frame = std::trunc(time * sampleRate);
    if (!std::isfinite(frame) || frame < 0 || frame >= static_cast<double>(std::numeric_limits<std::int64_t>::max()))
        throw WhisperError::loadAudioFailed(std::string(which) + " time " + textualForm(time) +
                                            " is outside the audio");
    return static_cast<std::int64_t>(frame);
}

void logBufferDetails(const char* label, double sampleRate, unsigned channelCount, std::int64_t frameLength)
{
    Logging::debug(std::string(label) + " details - Sample Rate: " + textualForm(sampleRate) + " Hz, Channel Count: " +
                   std::to_string(channelCount) + ", Frame Length: " + std::to_string(frameLength) +
                   ", Duration: " + textualForm(static_cast<double>(frameLength) / sampleRate) + "s");
}

} // namespace

PCMBuffer AudioProcessor::loadAudio(const std::string& fromPath, const ChannelMode& channelMode,
                                    std::optional<double> startTime, std::optional<double> endTime,
                                    std::optional<std::int64_t> maxReadFrameSize)
{
    const std::unique_ptr<AudioFile> file = openAudioFile(fromPath);
    return loadAudio(*file, channelMode, startTime, endTime, maxReadFrameSize);
}

PCMBuffer AudioProcessor::loadAudio(AudioFile& fromFile, const ChannelMode& channelMode,
                                    std::optional<double> startTime, std::optional<double> endTime,
                                    std::optional<std::int64_t> maxReadFrameSize)
{
    const double sampleRate = fromFile.sampleRate();
    const unsigned channelCount = fromFile.channelCount();
    requireLoadableLength(fromFile);
    const std::int64_t readSize = maxReadFrameSize.value_or(Constants::defaultAudioReadFrameSize);
    if (readSize < 1 || readSize >= frameCountLimit)
        throw WhisperError::loadAudioFailed("Cannot read " + std::to_string(readSize) + " frames at a time");
    const std::int64_t startFrame = frameAt(startTime.value_or(0), sampleRate, "Start");
    const std::int64_t endFrame =
        endTime ? std::min(fromFile.length(), frameAt(*endTime, sampleRate, "End")) : fromFile.length();
    if (startFrame > endFrame)
        throw WhisperError::loadAudioFailed("Start frame " + std::to_string(startFrame) + " lies after end frame " +
                                            std::to_string(endFrame));
    const std::int64_t frameCount = endFrame - startFrame;
    fromFile.setFramePosition(startFrame);

    std::optional<PCMBuffer> buffer;
    if (sampleRate == targetSampleRate && channelCount == 1) {
        buffer = PCMBuffer::make(fromFile.processingFormat(), static_cast<std::uint32_t>(frameCount));
        if (!buffer)
            throw WhisperError::loadAudioFailed("Unable to create audio buffer");
        try {
            fromFile.read(*buffer, static_cast<std::uint32_t>(frameCount));
        } catch (const AudioFileError& error) {
            throw WhisperError::loadAudioFailed(std::string("Failed to read audio file: ") + error.what());
        }
    } else {
        buffer = resampleAudio(fromFile, targetSampleRate, 1, channelMode, frameCount, readSize);
        if (!buffer)
            throw WhisperError::loadAudioFailed("Failed to process audio buffer");
    }
    logBufferDetails("Audio source", sampleRate, channelCount, fromFile.length());
    logBufferDetails("Audio buffer", buffer->format().sampleRate, buffer->format().channelCount, buffer->frameLength());
    RuntimeCore::logCurrentMemoryUsage("After loadAudio function");
    return std::move(*buffer);
}

std::vector<float> AudioProcessor::loadAudioAsFloatArray(const std::string& fromPath, const ChannelMode& channelMode,
                                                         std::optional<double> startTime, std::optional<double> endTime)
{
    const std::unique_ptr<AudioFile> file = openAudioFile(fromPath);
    requireLoadableLength(*file);
    const double duration = static_cast<double>(file->length()) / file->sampleRate();
    double start = startTime.value_or(0);
    const double end = std::min(endTime.value_or(duration), duration);
    std::vector<float> samples;
    // Room for the whole result at once: growing it would hold two copies.
    if (start < end)
        samples.reserve(static_cast<std::size_t>(std::ceil((end - std::max(start, 0.0)) * targetSampleRate)) + 1);
    while (start < end) {
        const double windowEnd = std::min(end, start + longFileWindow);
        // The window's buffer goes at once, so its samples are taken whole
        // rather than copied out and cleared piece by piece.
        const PCMBuffer window = loadAudio(*file, channelMode, start, windowEnd);
        samples.insert(samples.end(), window.frames(0).begin(), window.frames(0).end());
        start = windowEnd;
    }
    return samples;
}

std::vector<AudioLoadOutcome> AudioProcessor::loadAudio(const std::vector<std::string>& at,
                                                        const ChannelMode& channelMode)
{
    std::vector<std::future<std::vector<float>>> loads;
    loads.reserve(at.size());
    for (const std::string& path : at)
        loads.push_back(
            std::async(std::launch::async, [path, channelMode] { return loadAudioAsFloatArray(path, channelMode); }));
    std::vector<AudioLoadOutcome> outcomes;
    outcomes.reserve(loads.size());
    for (auto& load : loads) {
        try {
            outcomes.emplace_back(load.get());
        } catch (...) {
            outcomes.emplace_back(std::current_exception());
        }
    }
    return outcomes;
}

} // namespace RadozodEri
