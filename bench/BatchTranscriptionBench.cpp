// The engine transcribing 8 arrays of 30 s as one batch on a tiny-sized
// English random model, with 1, 4 and 8 workers: the audio seconds
// transcribed per second, and the growth of the peak resident memory during
// the batch. Each computation runs on one thread, so the figures show what the
// pool adds. Windows are decoded once, at most 64 tokens each, so that every
// worker count does the same work.
#include "bench/BenchModels.h"
#include "bench/ProcessStatus.h"
#include "bench/TinyEnglishEngine.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "RadozodEri/Core/RadozodEri.h"

#include <benchmark/benchmark.h>

#include <fstream>

namespace QelBench {
namespace {

constexpr int arrayCount = 8;

void BM_EngineBatchOfThirtySecondArrays(benchmark::State& state)
{
    const auto transcriber = tinyEnglishEngine();
    if (!transcriber) {
        state.SkipWithError("GPT-2's files are absent");
        return;
    }
    Platform::ML::setComputeThreads(1);
    const std::vector<std::vector<float>> arrays(arrayCount, benchAudio());
    RadozodEri::DecodingOptions options;
    options.language = "en";
    options.firstTokenLogProbThreshold.reset();
    options.temperatureFallbackCount = 0;
    options.sampleLength = 64;
    options.concurrentWorkerCount = state.range(0);

    long peakGrowthKiB = 0;
    double tokens = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Frees the kernel's record of the peak, so VmHWM starts again from now.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = processStatusKiB("VmHWM:");
        state.ResumeTiming();
        const auto outcomes = transcriber->transcribeWithResults(arrays, options);
        state.PauseTiming();
        peakGrowthKiB = std::max(peakGrowthKiB, processStatusKiB("VmHWM:") - before);
        for (const auto& outcome : outcomes)
            if (const auto* results = std::get_if<0>(&outcome))
                tokens += results->front()->timings().totalDecodingLoops;
        state.ResumeTiming();
    }
    Platform::ML::setComputeThreads(0);
    state.counters["audio_seconds"] =
        benchmark::Counter(30.0 * arrayCount * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["tokens"] = benchmark::Counter(tokens, benchmark::Counter::kAvgIterations);
    state.counters["peak_growth_MiB"] = static_cast<double>(peakGrowthKiB) / 1024;
}
BENCHMARK(BM_EngineBatchOfThirtySecondArrays)
    ->ArgName("workers")
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace
} // namespace QelBench
