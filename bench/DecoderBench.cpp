// The text decoder on tiny- and base-sized random models: one token at a
// time against the speed of memory, a whole window with its cross-attention,
// and a 64-token prompt run as one batch or one step per token.
#include "bench/BenchModels.h"
#include "bench/MemorySweep.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "Platform/ML/Tensor/HalfFloat.h"
#include "Platform/ML/Whisper/WhisperDecoder.h"
#include "Platform/ML/Whisper/WhisperEncoder.h"
#include "QelCore/Decoding/WhisperTokens.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace QelBench {
namespace {

using namespace Platform::ML;

constexpr int kTokens = 64;
// Tokens of a long window, beside the model folders' figure.
constexpr int kWindowTokens = 224;

// A decoder after one window's encoder, with a position-major cache that
// keeps what each call returns.
class DecoderRun {
public:
    explicit DecoderRun(const WhisperModel& model) : model_(model), decoder_(model)
    {
        const auto& hp = model.hparams;
        const auto mel = benchMel(model);
        audio_.resize(static_cast<size_t>(hp.nAudioCtx) * hp.nAudioState);
        WhisperEncoder(model).encode(mel.data(), audio_.data());
        newWindow();
        const size_t cache = static_cast<size_t>(hp.nTextLayer) * hp.nTextCtx * hp.nTextState;
        keys_.resize(cache);
        values_.resize(cache);
        newKeys_.resize(cache);
        newValues_.resize(cache);
        logits_.resize(static_cast<size_t>(hp.nVocab));

        const auto special = QelCore::SpecialTokens::forVocabularySize(hp.nVocab);
        tokens_ = {special.startOfTranscript, special.firstLanguage, special.transcribe, special.noTimestamps};
        for (int i = 0; tokens_.size() < kWindowTokens; ++i)
            tokens_.push_back(1000 + 37 * i);
    }

    // The window's cross-attention, as each window starts.
    void newWindow() { decoder_.computeCrossAttention(audio_.data(), cross_); }

    // Runs tokens [first, first + count) as one batch, with the logits of the
    // last when asked.
    void decode(int first, int count, bool logits = true)
    {
        const auto& hp = model_.hparams;
        const auto view = KeyValueCacheView::positionMajor(keys_.data(), values_.data(), hp.nTextCtx, hp.nTextState);
        decoder_.decode(std::span(tokens_).subspan(static_cast<size_t>(first), static_cast<size_t>(count)), first, view,
                        cross_, newKeys_.data(), newValues_.data(), logits ? logits_.data() : nullptr);
        const size_t layerSize = static_cast<size_t>(count) * hp.nTextState;
        for (int l = 0; l < hp.nTextLayer; ++l) {
            const size_t to = (static_cast<size_t>(l) * hp.nTextCtx + first) * hp.nTextState;
            narrowToHalfFloats(newKeys_.data() + l * layerSize, layerSize,
                               reinterpret_cast<std::byte*>(keys_.data() + to));
            narrowToHalfFloats(newValues_.data() + l * layerSize, layerSize,
                               reinterpret_cast<std::byte*>(values_.data() + to));
        }
        benchmark::DoNotOptimize(std::max_element(logits_.begin(), logits_.end()));
    }

private:
    const WhisperModel& model_;
    WhisperDecoder decoder_;
    std::vector<float> audio_;
    CrossAttentionCache cross_;
    std::vector<int> tokens_;
    std::vector<Float16> keys_, values_;
    std::vector<float> newKeys_, newValues_, logits_;
};

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
// memory sweep once and then decodes the 64 tokens, the two taking turns, so
// a neighbour that slows the machine for a while slows both. The best time of
// each is kept, the one least disturbed. "roof_ratio" is the time per token
// over the time the best bandwidth needs for a token's bytes: 1 is a token as
// fast as memory delivers what it reads.
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
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    tokens();
    double sweepSeconds = 1e9, tokenSeconds = 1e9;
    for (auto _ : state) {
        sweepSeconds = std::min(sweepSeconds, sweep.read());
        tokenSeconds = std::min(tokenSeconds, tokens() / kTokens);
    }
    double bytes = 0;
    for (int position = 0; position < kTokens; ++position)
        bytes += decoderBytesPerStep(model, position);
    bytes /= kTokens;
    const double bandwidth = static_cast<double>(MemorySweep::kBytes) / sweepSeconds;
    state.counters["roof_ratio"] = tokenSeconds / (bytes / bandwidth);
    state.counters["ms_per_token"] = tokenSeconds * 1e3;
    state.counters["MB_per_token"] = bytes / 1e6;
    state.counters["memory_GBps"] = bandwidth / 1e9;
    setComputeThreads(0);
}

void ThreadsUpToFour(benchmark::internal::Benchmark* b)
{
    for (auto size : {ModelSize::Tiny, ModelSize::Base})
        for (int threads : {1, 2, 4})
            b->Args({static_cast<int>(size), threads});
    b->ArgNames({"base", "threads"});
    b->Iterations(20);
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
