// How fast this machine streams memory that is not in any cache: the roof a
// decoded token is measured against, since each one reads every decoder
// weight and the window's cross-attention keys and values once.
#include "bench/BenchModels.h"

#include "Platform/Concurrency/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>

namespace {

// Well beyond the last-level cache, like the weights of a base-sized model.
constexpr size_t kBytes = size_t{512} << 20;

// Sums 64-bit words with independent accumulators: the compiler vectorises the
// integer additions, so the loop waits only on memory.
uint64_t sumWords(const uint64_t* words, size_t count)
{
    uint64_t sums[8] = {};
    const size_t whole = count / 8 * 8;
    for (size_t i = 0; i < whole; i += 8)
        for (int lane = 0; lane < 8; ++lane)
            sums[lane] += words[i + lane];
    for (size_t i = whole; i < count; ++i)
        sums[0] += words[i];
    uint64_t total = 0;
    for (uint64_t sum : sums)
        total += sum;
    return total;
}

void BM_ReadBandwidth(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const size_t count = kBytes / sizeof(uint64_t);
    const auto words = std::make_unique<uint64_t[]>(count);
    // Each thread touches what it will read, so pages sit near their reader.
    Platform::parallelFor(static_cast<long>(count), 1 << 16, threads, [&](long begin, long end) {
        std::fill(words.get() + begin, words.get() + end, static_cast<uint64_t>(begin));
    });
    for (auto _ : state) {
        std::atomic<uint64_t> total{0};
        // Disjoint ranges, one stream per thread, as the decoder's products read.
        Platform::parallelFor(static_cast<long>(count), 1 << 16, threads, [&](long begin, long end) {
            total += sumWords(words.get() + begin, static_cast<size_t>(end - begin));
        });
        benchmark::DoNotOptimize(total.load());
    }
    state.counters["GBps"] = benchmark::Counter(
        static_cast<double>(kBytes) * static_cast<double>(state.iterations()) / 1e9, benchmark::Counter::kIsRate);
}

void ThreadCounts(benchmark::internal::Benchmark* b)
{
    for (int threads : {1, 2, 4, QelBench::allThreads()})
        b->Arg(threads);
    b->ArgName("threads");
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ReadBandwidth)->Apply(ThreadCounts);

} // namespace
