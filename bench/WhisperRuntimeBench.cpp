// Speed of the CPU Whisper runtime on tiny- and base-sized random models:
// encoder window, decoded token, model load and peak memory.
#include "bench/BenchModels.h"
#include "bench/PeakMemory.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Whisper/MelSpectrogram.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "QelCore/Decoding/WhisperTokens.h"
#include "QelCore/Ggml/GgmlWhisperLoader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace QelBench {
namespace {

using namespace Platform::ML;
using namespace QelCore;

ModelSize sizeArgument(const benchmark::State& state)
{
    return static_cast<ModelSize>(state.range(0));
}

std::vector<float> melOf(const WhisperModel& model)
{
    const auto audio = benchAudio();
    MelSpectrogram mel(model.melFilters.data(), model.hparams.nMels, model.windowSamples());
    std::vector<float> out(static_cast<size_t>(model.hparams.nMels) * mel.frames());
    mel.compute(audio.data(), static_cast<long>(audio.size()), out.data());
    return out;
}

void BM_EncoderWindow(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(static_cast<int>(state.range(1)));
    const auto mel = melOf(model);
    std::vector<float> out(static_cast<size_t>(model.hparams.nAudioCtx) * model.hparams.nAudioState);
    WhisperEncoder encoder(model);
    for (auto _ : state) {
        encoder.encode(mel.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["GFLOPS"] = benchmark::Counter(
        encoderFlops(model.hparams) * static_cast<double>(state.iterations()) / 1e9,
        benchmark::Counter::kIsRate);
}

// One window's first 64 tokens after the encoder: the start sequence, then
// ordinary tokens, each step with its logits over the whole vocabulary.
void BM_DecodedToken(benchmark::State& state)
{
    constexpr int kTokens = 64;
    const auto& model = benchModel(sizeArgument(state));
    const auto& hp = model.hparams;
    setComputeThreads(static_cast<int>(state.range(1)));

    const auto mel = melOf(model);
    std::vector<float> audio(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
    WhisperEncoder(model).encode(mel.data(), audio.data());
    WhisperDecoder decoder(model);
    CrossAttentionCache cross;
    decoder.computeCrossAttention(audio.data(), cross);

    const auto special = SpecialTokens::forVocabularySize(hp.nVocab);
    std::vector<int> tokens = {special.startOfTranscript, special.firstLanguage, special.transcribe,
                               special.noTimestamps};
    for (int i = 0; tokens.size() < kTokens; ++i)
        tokens.push_back(1000 + 37 * i);

    const size_t layerWidth = static_cast<size_t>(hp.nTextLayer) * hp.nTextState;
    std::vector<float> keys(layerWidth * hp.nTextCtx), values(layerWidth * hp.nTextCtx);
    std::vector<float> newKeys(layerWidth), newValues(layerWidth), logits(hp.nVocab);
    const auto view = KeyValueCacheView::positionMajor(keys.data(), values.data(), hp.nTextCtx, hp.nTextState);
    for (auto _ : state) {
        for (int position = 0; position < kTokens; ++position) {
            decoder.step(tokens[position], position, view, cross, newKeys.data(), newValues.data(),
                         logits.data());
            for (int l = 0; l < hp.nTextLayer; ++l) {
                const size_t from = static_cast<size_t>(l) * hp.nTextState;
                const size_t to = (static_cast<size_t>(l) * hp.nTextCtx + position) * hp.nTextState;
                std::copy_n(newKeys.data() + from, hp.nTextState, keys.data() + to);
                std::copy_n(newValues.data() + from, hp.nTextState, values.data() + to);
            }
            benchmark::DoNotOptimize(std::max_element(logits.begin(), logits.end()));
        }
    }
    // Seconds per token; the table shows milliseconds with an "m" suffix.
    state.counters["per_token"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kTokens,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Loading from a file in the page cache, 16-bit weights widened on the way;
// peak memory of a separate process that loads the model and transcribes one
// window on all cores.
void BM_ModelLoad(benchmark::State& state)
{
    const auto& path = benchModelFile(sizeArgument(state));
    for (auto _ : state) {
        auto model = loadGgmlWhisperModel(path);
        benchmark::DoNotOptimize(model.storage.get());
    }
    state.counters["peak_MiB"] = peakMemoryOfOneWindowMiB(path);
}

void SizesAndThreads(benchmark::internal::Benchmark* b)
{
    const int all = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, 2, all})
            b->Args({static_cast<int>(size), threads});
    b->ArgNames({"base", "threads"});
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_EncoderWindow)->Apply(SizesAndThreads);
BENCHMARK(BM_DecodedToken)->Apply(SizesAndThreads);
BENCHMARK(BM_ModelLoad)
    ->Arg(static_cast<int>(ModelSize::Tiny))
    ->Arg(static_cast<int>(ModelSize::Base))
    ->ArgName("base")
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench
