// The engine transcribing one hour of speech-like audio cut at silences, on a
// tiny-sized English random model: the share of the whole transcription that
// cutting takes, and the whole beside transcribing the same chunks directly as
// one batch. Also the peak resident memory that one window's transcription
// adds, the measure for the batch benchmark's growth per extra worker. Windows
// are decoded once, at most 64 tokens each, as in the batch benchmark, and
// each computation runs on one thread so that 4 workers fill 4 cores.
#include "bench/BenchModels.h"
#include "bench/ProcessStatus.h"
#include "bench/TinyEnglishEngine.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "RadozodEri/Core/Audio/VADAudioChunker.h"
#include "RadozodEri/Core/RadozodEri.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <random>

namespace QelBench {
namespace {

constexpr std::int64_t sampleRate = 16000;
constexpr std::int64_t windowSamples = 30 * sampleRate;
constexpr std::size_t hourSamples = 3600 * sampleRate;
// The engine's own padding when it cuts a recording.
constexpr std::int64_t chunkWindowPadding = sampleRate;

// Bursts of 1.5 to 6 s of the benchmarks' voice-like signal between pauses of
// 0.2 to 1.5 s of faint noise, so the energy detector finds silences to cut at.
std::vector<float> speechLikeHour()
{
    const auto voice = benchAudio();
    std::vector<float> samples;
    samples.reserve(hourSamples);
    std::mt19937 random(11);
    std::uniform_int_distribution<std::int64_t> burst(sampleRate * 3 / 2, sampleRate * 6);
    std::uniform_int_distribution<std::int64_t> pause(sampleRate / 5, sampleRate * 3 / 2);
    std::uniform_real_distribution<float> noise(-0.005f, 0.005f);
    std::size_t voiceAt = 0;
    while (samples.size() < hourSamples) {
        for (std::int64_t i = burst(random); i > 0 && samples.size() < hourSamples; --i) {
            samples.push_back(voice[voiceAt]);
            voiceAt = (voiceAt + 1) % voice.size();
        }
        for (std::int64_t i = pause(random); i > 0 && samples.size() < hourSamples; --i)
            samples.push_back(noise(random));
    }
    return samples;
}

RadozodEri::DecodingOptions shortWindows(std::int64_t workers)
{
    RadozodEri::DecodingOptions options;
    options.language = "en";
    options.firstTokenLogProbThreshold.reset();
    options.temperatureFallbackCount = 0;
    options.sampleLength = 64;
    options.concurrentWorkerCount = workers;
    return options;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double decodedTokens(const std::vector<std::shared_ptr<RadozodEri::TranscriptionResult>>& results)
{
    double tokens = 0;
    for (const auto& result : results)
        tokens += result->timings().totalDecodingLoops;
    return tokens;
}

double decodedTokens(const std::vector<RadozodEri::TranscriptionOutcome>& outcomes)
{
    double tokens = 0;
    for (const auto& outcome : outcomes)
        if (const auto* results = std::get_if<0>(&outcome))
            tokens += decodedTokens(*results);
    return tokens;
}

// Timed: the whole chunked transcription. Beside it, in the same iteration,
// cutting alone and the cut chunks transcribed as a batch, so that the two
// ratios come from one state of the machine.
void BM_EngineChunkedHour(benchmark::State& state)
{
    const auto transcriber = tinyEnglishEngine();
    if (!transcriber) {
        state.SkipWithError("GPT-2's files are absent");
        return;
    }
    Platform::ML::setComputeThreads(1);
    const auto hour = speechLikeHour();
    auto chunked = shortWindows(state.range(0));
    chunked.chunkingStrategy = RadozodEri::ChunkingStrategy::vad;
    const auto direct = shortWindows(state.range(0));
    // The first transcription's one-off costs stay out of the figures.
    transcriber->transcribe(benchAudio(), direct, {}, {});

    double chunkingSeconds = 0, wholeSeconds = 0, batchSeconds = 0, chunkCount = 0, results = 0, wholeTokens = 0,
           batchTokens = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        RadozodEri::VADAudioChunker chunker(chunkWindowPadding);
        const auto chunks = chunker.chunkAll(hour, windowSamples, chunked);
        chunkingSeconds += secondsSince(start);
        chunkCount = static_cast<double>(chunks.size());

        start = std::chrono::steady_clock::now();
        const auto wholeResults = transcriber->transcribe(hour, chunked, {}, {});
        const double whole = secondsSince(start);
        wholeSeconds += whole;
        results = static_cast<double>(wholeResults.size());
        wholeTokens = decodedTokens(wholeResults);
        state.SetIterationTime(whole);

        std::vector<std::vector<float>> arrays;
        for (const auto& chunk : chunks)
            arrays.push_back(chunk.audioSamples);
        start = std::chrono::steady_clock::now();
        batchTokens = decodedTokens(transcriber->transcribeWithResults(arrays, direct));
        batchSeconds += secondsSince(start);
    }
    Platform::ML::setComputeThreads(0);
    state.counters["chunks"] = chunkCount;
    state.counters["results"] = results;
    // Equal token counts show that both roads did the same decoding.
    state.counters["whole_tokens"] = wholeTokens;
    state.counters["batch_tokens"] = batchTokens;
    state.counters["chunking_s"] = chunkingSeconds / static_cast<double>(state.iterations());
    state.counters["batch_s"] = batchSeconds / static_cast<double>(state.iterations());
    state.counters["chunking_share_pct"] = 100 * chunkingSeconds / wholeSeconds;
    state.counters["whole_over_batch"] = wholeSeconds / batchSeconds;
}
BENCHMARK(BM_EngineChunkedHour)->ArgName("workers")->Arg(4)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

// The peak resident memory the engine's first transcription of one 30 s window
// adds: the buffers each extra batch worker is expected to bring. Later
// transcriptions reuse the freed memory and add nothing, so the figure holds
// only when this benchmark runs alone (--benchmark_filter).
void BM_EngineOneWindowPeakGrowth(benchmark::State& state)
{
    const auto transcriber = tinyEnglishEngine();
    if (!transcriber) {
        state.SkipWithError("GPT-2's files are absent");
        return;
    }
    Platform::ML::setComputeThreads(1);
    const auto window = benchAudio();
    const auto options = shortWindows(1);

    long peakGrowthKiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Frees the kernel's record of the peak, so VmHWM starts again from now.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = processStatusKiB("VmHWM:");
        state.ResumeTiming();
        transcriber->transcribe(window, options, {}, {});
        state.PauseTiming();
        peakGrowthKiB = std::max(peakGrowthKiB, processStatusKiB("VmHWM:") - before);
        state.ResumeTiming();
    }
    Platform::ML::setComputeThreads(0);
    state.counters["peak_growth_MiB"] = static_cast<double>(peakGrowthKiB) / 1024;
}
BENCHMARK(BM_EngineOneWindowPeakGrowth)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace QelBench
