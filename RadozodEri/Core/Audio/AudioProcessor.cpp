#include "RadozodEri/Core/Audio/AudioProcessor.h"

#include "RuntimeCore/Logging/Logging.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace RadozodEri {

using RuntimeCore::Logging;
using RuntimeCore::textualForm;

namespace {

// Recent buffers whose quietest level is the reference of relative energy.
constexpr std::size_t referenceWindow = 20;

// Makes room for `more` samples. New room is written once when it is made, so
// that appending to a long recording, whose room comes fresh from the system,
// does not stop at the first touch of each page: the cost moves to the rare
// growth, and every buffer takes the same time however long the recording.
void reserveWritten(std::vector<float>& samples, std::size_t more)
{
    if (samples.capacity() - samples.size() >= more)
        return;
    const std::size_t size = samples.size();
    const std::size_t capacity = std::max(samples.capacity() * 2, size + more);
    samples.reserve(capacity);
    samples.resize(capacity);
    samples.resize(size);
}

} // namespace

AudioProcessor::AudioProcessor()
{
    link_->processor = this;
}

AudioProcessor::~AudioProcessor()
{
    {
        const std::lock_guard lock(link_->mutex);
        link_->processor = nullptr;
    }
    stopRecording();
}

std::vector<float> AudioProcessor::audioSamples() const
{
    const std::lock_guard lock(stateMutex_);
    return audioSamples_;
}

std::vector<AudioEnergy> AudioProcessor::audioEnergy() const
{
    const std::lock_guard lock(stateMutex_);
    return audioEnergy_;
}

std::vector<float> AudioProcessor::relativeEnergy() const
{
    const std::lock_guard lock(stateMutex_);
    std::vector<float> relative;
    relative.reserve(audioEnergy_.size());
    for (const AudioEnergy& energy : audioEnergy_)
        relative.push_back(energy.rel);
    return relative;
}

void AudioProcessor::purgeAudioSamples(std::int64_t keepingLast)
{
    const std::lock_guard lock(stateMutex_);
    const auto kept = static_cast<std::size_t>(std::max<std::int64_t>(keepingLast, 0));
    if (audioSamples_.size() > kept)
        audioSamples_.erase(audioSamples_.begin(), audioSamples_.end() - static_cast<std::ptrdiff_t>(kept));
}

int AudioProcessor::relativeEnergyWindow() const
{
    const std::lock_guard lock(stateMutex_);
    return relativeEnergyWindow_;
}

void AudioProcessor::setRelativeEnergyWindow(int window)
{
    if (window < 1)
        throw std::invalid_argument("The relative energy window must be at least 1, not " + std::to_string(window));
    const std::lock_guard lock(stateMutex_);
    relativeEnergyWindow_ = window;
}

AudioBufferCallback AudioProcessor::audioBufferCallback() const
{
    const std::lock_guard lock(stateMutex_);
    return audioBufferCallback_;
}

void AudioProcessor::setAudioBufferCallback(AudioBufferCallback callback)
{
    const std::lock_guard lock(stateMutex_);
    audioBufferCallback_ = std::move(callback);
}

int AudioProcessor::minBufferLength() const
{
    const std::lock_guard lock(stateMutex_);
    return minBufferLength_;
}

void AudioProcessor::setMinBufferLength(int length)
{
    if (length < 1)
        throw std::invalid_argument("The buffer length must be at least 1 frame, not " + std::to_string(length));
    const std::lock_guard lock(stateMutex_);
    minBufferLength_ = length;
}

bool AudioProcessor::isInputSuppressed() const
{
    const std::lock_guard lock(stateMutex_);
    return isInputSuppressed_;
}

void AudioProcessor::setInputSuppressed(bool suppressed)
{
    const std::lock_guard lock(stateMutex_);
    isInputSuppressed_ = suppressed;
}

std::optional<std::uint32_t> AudioProcessor::lastInputDevice() const
{
    const std::lock_guard lock(captureMutex_);
    return lastInputDevice_;
}

void AudioProcessor::processBuffer(const std::vector<float>& buffer)
{
    AudioEnergy energy = calculateEnergy(buffer);
    AudioBufferCallback callback;
    std::size_t sampleCount = 0;
    std::int64_t sizeLinePeriod = 0;
    {
        const std::lock_guard lock(stateMutex_);
        reserveWritten(audioSamples_, buffer.size());
        audioSamples_.insert(audioSamples_.end(), buffer.begin(), buffer.end());
        float reference = std::numeric_limits<float>::infinity();
        const std::size_t recent = std::min(audioEnergy_.size(), referenceWindow);
        for (auto entry = audioEnergy_.end() - static_cast<std::ptrdiff_t>(recent); entry != audioEnergy_.end();
             ++entry)
            reference = std::min(reference, entry->avg);
        energy.rel = calculateRelativeEnergy(buffer, reference);
        audioEnergy_.push_back(energy);
        callback = audioBufferCallback_;
        sampleCount = audioSamples_.size();
        sizeLinePeriod = static_cast<std::int64_t>(minBufferLength_) * relativeEnergyWindow_;
    }
    if (callback)
        callback(buffer);
    if (sampleCount % static_cast<std::size_t>(sizeLinePeriod) == 0)
        Logging::debug("Current audio size: " + std::to_string(sampleCount) +
                       " samples, most recent buffer: " + std::to_string(buffer.size()) +
                       " samples, most recent energy: (" + textualForm(energy.rel) + ", " + textualForm(energy.avg) +
                       ", " + textualForm(energy.max) + ", " + textualForm(energy.min) + ")");
}

void AudioProcessor::suppressInputIfNeeded(std::vector<float>& samples) const
{
    if (isInputSuppressed())
        std::fill(samples.begin(), samples.end(), 0.0f);
}

std::optional<AudioProcessorOutputType> AudioProcessor::padOrTrim(const std::vector<float>& fromArray,
                                                                  std::int64_t startAt, std::int64_t toLength)
{
    return padOrTrimAudio(fromArray, startAt, toLength, false);
}

} // namespace RadozodEri
