#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace QelBench {

// Memory well beyond the last-level cache, like the weights of a base-sized
// model, read start to end: the roof a decoded token is measured against,
// since each one reads every decoder weight and the window's cross-attention
// keys and values once.
class MemorySweep {
public:
    // Each of `threads` threads touches the part it will read, so pages sit
    // near their reader.
    explicit MemorySweep(int threads);

    // Reads every byte once on the threads, in disjoint ranges, one stream
    // per thread, as the decoder's products read; returns the seconds taken.
    double read() const;

    static constexpr std::size_t kBytes = std::size_t{512} << 20;

private:
    int threads_;
    std::unique_ptr<uint64_t[]> words_;
};

} // namespace QelBench
