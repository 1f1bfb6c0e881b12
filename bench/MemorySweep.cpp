#include "bench/MemorySweep.h"

#include "Platform/Concurrency/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>

namespace QelBench {
namespace {

constexpr long kWords = static_cast<long>(MemorySweep::kBytes / sizeof(uint64_t));
constexpr long kGrain = 1L << 16;

// Sums 64-bit words with independent accumulators: the compiler vectorises the
// integer additions, so the loop waits only on memory.
uint64_t sumWords(const uint64_t* words, long count)
{
    uint64_t sums[8] = {};
    const long whole = count / 8 * 8;
    for (long i = 0; i < whole; i += 8)
        for (int lane = 0; lane < 8; ++lane)
            sums[lane] += words[i + lane];
    for (long i = whole; i < count; ++i)
        sums[0] += words[i];
    uint64_t total = 0;
    for (uint64_t sum : sums)
        total += sum;
    return total;
}

} // namespace

MemorySweep::MemorySweep(int threads) : threads_(threads), words_(std::make_unique<uint64_t[]>(kWords))
{
    Platform::parallelFor(kWords, kGrain, threads_, [&](long begin, long end) {
        std::fill(words_.get() + begin, words_.get() + end, static_cast<uint64_t>(begin));
    });
}

double MemorySweep::read() const
{
    const auto start = std::chrono::steady_clock::now();
    std::atomic<uint64_t> total{0};
    Platform::parallelFor(kWords, kGrain, threads_,
                          [&](long begin, long end) { total += sumWords(words_.get() + begin, end - begin); });
    benchmark::DoNotOptimize(total.load());
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace QelBench
