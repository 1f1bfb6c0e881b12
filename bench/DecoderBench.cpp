// The text decoder on tiny- and base-sized random models: one token at a
// time against the speed of memory, a whole window with its cross-attention,
// and a 64-token prompt run as one batch or one step per token.
#include "bench/BenchModels.h"
#include "bench/DecoderRun.h"
#include "bench/MemorySweep.h"

#include "Platform/ML/Ops/ComputeThreads.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace QelBench {
namespace {

using namespace Platform::ML;

constexpr int kTokens = 64;

// One window's first 64 tokens, one step each with its logits over the whole
// vocabulary. GBps is what each step reads over its time: set beside the
// machine's read bandwidth at the same thread count, it says how close a
// token comes to the speed of memory. One pass first: memory a process
// touches for the first time is slow, and BM_FirstTranscription states that
// cost on its own.
void BM_DecodedToken(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(threadsArgument(state));
    DecoderRun run(model);
    for (int position = 0; position < kTokens; ++position)
        run.decode(position, 1);
    for (auto _ : state)
        for (int position = 0; position < kTokens; ++position)
            run.decode(position, 1);
    double bytes = 0;
    for (int position = 0; position < kTokens; ++position)
        bytes += decoderBytesPerStep(model, position);
    const auto iterations = static_cast<double>(state.iterations());
    countTokens(state, kTokens);
    state.counters["MB_per_token"] = bytes / kTokens / 1e6;
    state.counters["GBps"] = benchmark::Counter(bytes * iterations / 1e9, benchmark::Counter::kIsRate);
    setComputeThreads(0);
}

// The decoder against the memory roof in one run: each iteration reads the
// memory sweep once and then decodes the 64 tokens, so the two are measured
// moments apart and a neighbour that slows the machine for a while slows
// both. "roof_ratio" is the median over the iterations of the time per token
// over the time that iteration's bandwidth needs for a token's bytes: 1 is a
// token as fast as memory delivers what it reads.
void BM_DecoderAgainstRoof(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    const int threads = threadsArgument(state);
    setComputeThreads(threads);
    const MemorySweep sweep(threads);
    DecoderRun run(model);
    const auto tokens = [&] {
        const auto start = std::chrono::steady_clock::now();
        for (int position = 0; position < kTokens; ++position)
            run.decode(position, 1);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kTokens;
    };
    double bytes = 0;
    for (int position = 0; position < kTokens; ++position)
        bytes += decoderBytesPerStep(model, position);
    bytes /= kTokens;
    tokens();
    std::vector<double> ratios, tokenSeconds, bandwidths;
    for (auto _ : state) {
        const double bandwidth = static_cast<double>(MemorySweep::kBytes) / sweep.read();
        const double seconds = tokens();
        ratios.push_back(seconds / (bytes / bandwidth));
        tokenSeconds.push_back(seconds);
        bandwidths.push_back(bandwidth);
    }
    const auto median = [](std::vector<double> values) {
        std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
        return values[values.size() / 2];
    };
    state.counters["roof_ratio"] = median(ratios);
    state.counters["ms_per_token"] = median(tokenSeconds) * 1e3;
    state.counters["MB_per_token"] = bytes / 1e6;
    state.counters["memory_GBps"] = median(bandwidths) / 1e9;
    setComputeThreads(0);
}

void ThreadsUpToFour(benchmark::internal::Benchmark* b)
{
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, 2, 4})
            b->Args({static_cast<int>(size), threads});
    b->ArgNames({"base", "threads"});
    b->Iterations(30);
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

// A whole window: its cross-attention, then 224 tokens one step each, beside
// BM_FolderDecodedWindow's model folders.
void BM_DecodedWindow(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(threadsArgument(state));
    DecoderRun run(model);
    const auto window = [&] {
        run.newWindow();
        for (int position = 0; position < kWindowTokens; ++position)
            run.decode(position, 1);
    };
    window();
    for (auto _ : state)
        window();
    countTokens(state, kWindowTokens);
    setComputeThreads(0);
}

// A prompt of 64 tokens with the logits of its last: as one batch, or one
// step per token as it used to run.
void BM_Prompt(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    setComputeThreads(threadsArgument(state));
    const bool batched = state.range(2) != 0;
    DecoderRun run(model);
    for (auto _ : state) {
        if (batched) {
            run.decode(0, kTokens);
        } else {
            for (int position = 0; position < kTokens; ++position)
                run.decode(position, 1, position + 1 == kTokens);
        }
    }
    setComputeThreads(0);
}

void PromptArguments(benchmark::internal::Benchmark* b)
{
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, allThreads()})
            for (int batched : {0, 1})
                b->Args({static_cast<int>(size), threads, batched});
    b->ArgNames({"base", "threads", "batched"});
    b->UseRealTime();
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_DecodedToken)->Apply(sizesAndThreads);
BENCHMARK(BM_DecoderAgainstRoof)->Apply(ThreadsUpToFour);
BENCHMARK(BM_DecodedWindow)->Apply(sizesAndThreads);
BENCHMARK(BM_Prompt)->Apply(PromptArguments);

} // namespace
} // namespace QelBench
