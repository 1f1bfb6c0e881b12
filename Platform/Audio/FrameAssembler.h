#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

namespace Platform::Audio {

// Cuts a stream of samples that arrives in chunks of any length into frames
// of one fixed length, in order, losing nothing: samples that do not fill a
// frame yet wait for the next chunk.
class FrameAssembler {
public:
    explicit FrameAssembler(std::size_t frameLength) : frameLength_(frameLength) { pending_.reserve(frameLength_); }

    // Adds `samples` and hands each frame they complete to `onFrame`, which
    // takes a std::vector<float> of exactly the frame length.
    template <class OnFrame>
    void append(std::span<const float> samples, OnFrame&& onFrame)
    {
        while (!samples.empty()) {
            const std::size_t taken = std::min(frameLength_ - pending_.size(), samples.size());
            pending_.insert(pending_.end(), samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(taken));
            samples = samples.subspan(taken);
            if (pending_.size() == frameLength_) {
                onFrame(std::exchange(pending_, {}));
                pending_.reserve(frameLength_);
            }
        }
    }

private:
    std::size_t frameLength_;
    std::vector<float> pending_;
};

} // namespace Platform::Audio
