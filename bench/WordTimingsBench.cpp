// The engine transcribing a 10 s clip on a tiny-sized English random model
// with the application's decoding options (less the first-token test), with
// word timings and without:
// the word timings' share of a transcription. The random model's windows
// are mostly retried, so most of the time is decoding.
#include "bench/BenchModels.h"
#include "bench/TinyEnglishEngine.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "RadozodEri/Core/RadozodEri.h"

#include <benchmark/benchmark.h>

namespace QelBench {
namespace {

void BM_EngineClipWithAndWithoutWordTimings(benchmark::State& state)
{
    const auto transcriber = tinyEnglishEngine();
    if (!transcriber) {
        state.SkipWithError("GPT-2's files are absent");
        return;
    }
    // One thread: the comparison is of work done, which a busy machine's
    // scheduling would blur across threads.
    Platform::ML::setComputeThreads(1);
    const auto audio = benchAudio();
    const std::vector<float> clip(audio.begin(), audio.begin() + 10 * 16000);
    RadozodEri::DecodingOptions options;
    options.language = "en";
    // A random model's first token is far too unlikely for the first-token
    // test, which would end every attempt at its first step, before any
    // alignment weights exist.
    options.firstTokenLogProbThreshold.reset();
    options.wordTimestamps = state.range(0) != 0;
    double windows = 0;
    double tokens = 0;
    double wordTimings = 0;
    for (auto _ : state) {
        const auto result = transcriber->transcribeFirst(clip, options);
        windows += result->timings().totalDecodingWindows;
        tokens += result->timings().totalDecodingLoops;
        wordTimings += result->timings().decodingWordTimestamps;
    }
    state.SetLabel(options.wordTimestamps ? "word timings" : "no word timings");
    state.counters["windows"] = benchmark::Counter(windows, benchmark::Counter::kAvgIterations);
    state.counters["tokens"] = benchmark::Counter(tokens, benchmark::Counter::kAvgIterations);
    // Seconds the word timings took, an iteration.
    state.counters["word_timings"] = benchmark::Counter(wordTimings, benchmark::Counter::kAvgIterations);
    // Sampling above temperature 0 draws at random, so a retried window
    // decodes a different number of tokens each time: the time per token is
    // the figure to compare.
    state.counters["per_token"] = benchmark::Counter(tokens, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EngineClipWithAndWithoutWordTimings)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(5);

} // namespace
} // namespace QelBench
