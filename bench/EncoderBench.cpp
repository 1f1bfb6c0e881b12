// The audio encoder on tiny- and base-sized random models: one window at each
// thread count, and how steady ten windows in a row are on all cores.
#include "bench/BenchModels.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace QelBench {
namespace {

using namespace Platform::ML;

void BM_EncoderWindow(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(threadsArgument(state));
    const auto mel = benchMel(model);
    std::vector<float> out(static_cast<size_t>(model.hparams.nAudioCtx) * model.hparams.nAudioState);
    WhisperEncoder encoder(model);
    for (auto _ : state) {
        encoder.encode(mel.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["GFLOPS"] = benchmark::Counter(
        encoderFlops(model.hparams) * static_cast<double>(state.iterations()) / 1e9, benchmark::Counter::kIsRate);
    setComputeThreads(0);
}

// Ten windows one after another on every core, after one to warm up: their
// median, and the slowest over the fastest. A core that runs slow for a while
// should cost a little, not stall a whole product.
void BM_EncoderSteadiness(benchmark::State& state)
{
    constexpr int kWindows = 10;
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(allThreads());
    const auto mel = benchMel(model);
    std::vector<float> out(static_cast<size_t>(model.hparams.nAudioCtx) * model.hparams.nAudioState);
    WhisperEncoder encoder(model);
    encoder.encode(mel.data(), out.data());
    std::vector<double> milliseconds;
    for (auto _ : state) {
        for (int window = 0; window < kWindows; ++window) {
            const auto start = std::chrono::steady_clock::now();
            encoder.encode(mel.data(), out.data());
            milliseconds.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
    state.counters["min_ms"] = milliseconds.front();
    state.counters["max_ms"] = milliseconds.back();
    state.counters["spread"] = milliseconds.back() / milliseconds.front();
    setComputeThreads(0);
}

BENCHMARK(BM_EncoderWindow)->Apply(sizesAndThreads);
BENCHMARK(BM_EncoderSteadiness)
    ->Arg(static_cast<int>(ModelSize::Tiny))
    ->Arg(static_cast<int>(ModelSize::Base))
    ->ArgName("base")
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench
