// How fast this machine streams memory that is not in any cache.
#include "bench/BenchModels.h"
#include "bench/MemorySweep.h"

namespace {

void BM_ReadBandwidth(benchmark::State& state)
{
    const QelBench::MemorySweep sweep(static_cast<int>(state.range(0)));
    for (auto _ : state)
        sweep.read();
    state.counters["GBps"] = benchmark::Counter(static_cast<double>(QelBench::MemorySweep::kBytes) *
                                                    static_cast<double>(state.iterations()) / 1e9,
                                                benchmark::Counter::kIsRate);
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
