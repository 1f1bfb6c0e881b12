#pragma once

#include "Platform/CoreML/MLMultiArray.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>

namespace Platform::CoreML {

// The cross-attention keys and values of the encoder outputs a decoder saw
// last, by array: while an array keeps its contents (its identifier and
// version), every step and every thread that decodes against it shares one
// computation. Writing the array raises its version, so the next step
// computes afresh. Holds at most `capacity` arrays' worth, dropping the one
// used longest ago; a dropped entry's memory, once nobody reads it, is
// reused for the next.
class CrossAttentionStore {
public:
    using Cache = Platform::ML::CrossAttentionCache;

    explicit CrossAttentionStore(std::size_t capacity) : capacity_(capacity) {}

    // The keys and values for `audio` as it is now, made by `compute` unless
    // the store holds them. A compute that throws leaves nothing behind.
    std::shared_ptr<const Cache> find(const MLMultiArray& audio, const std::function<void(Cache&)>& compute);

private:
    // The memory of the last entry nobody reads any more, for the next one:
    // fresh memory costs a page fault per page on its first write, most of a
    // window's cross-attention time.
    struct Spare {
        std::mutex mutex;
        Cache cache;
    };

    struct Entry {
        explicit Entry(std::shared_ptr<Spare> spare) : spare(std::move(spare)) {}
        // Runs after the last reader has let go, whichever thread that is.
        ~Entry();

        std::uint64_t identifier = 0;
        std::uint64_t version = 0;
        std::once_flag computed;
        Cache cache;
        std::shared_ptr<Spare> spare;
    };

    std::shared_ptr<Entry> entryFor(std::uint64_t identifier, std::uint64_t version);

    std::size_t capacity_;
    std::mutex mutex_;
    std::list<std::shared_ptr<Entry>> entries_; // the most recently used first
    std::shared_ptr<Spare> spare_ = std::make_shared<Spare>();
};

} // namespace Platform::CoreML
