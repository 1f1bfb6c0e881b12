// A whole transcription of a 10 s clip through the engine library: mel,
// encoder, cross-attention and greedy decoding, on one transcriber that has
// run the clip once. The tokens it chose are counted: a random model may end
// its text early, and figures compare only at equal counts. And a short
// utterance on a transcriber that gives back its mel and encoder output
// between calls, as the engine does.
#include "bench/BenchModels.h"
#include "bench/ProcessTime.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "QelCore/Decoding/WhisperTranscriber.h"

#include <chrono>

namespace QelBench {
namespace {

struct TokenCount : QelCore::TranscriptionObserver {
    void tokenChosen(int, int) override { ++tokens; }
    long tokens = 0;
};

void BM_TranscribedClip(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    Platform::ML::setComputeThreads(threadsArgument(state));
    const QelCore::WhisperVocabulary vocabulary(model.vocabulary);
    QelCore::WhisperTranscriber transcriber(model, vocabulary);
    QelCore::DecodingSettings settings;
    settings.language = 0;
    settings.maxTokensPerWindow = 48;
    const auto audio = benchAudio();
    const long clip = 10L * Platform::ML::kSampleRate;
    benchmark::DoNotOptimize(transcriber.transcribe(audio.data(), clip, settings));
    TokenCount count;
    for (auto _ : state)
        benchmark::DoNotOptimize(transcriber.transcribe(audio.data(), clip, settings, &count));
    state.counters["tokens"] = static_cast<double>(count.tokens) / static_cast<double>(state.iterations());
    Platform::ML::setComputeThreads(0);
}

BENCHMARK(BM_TranscribedClip)->Apply(sizesAndThreads);

struct Taken {
    double seconds = 0;
    double processorSeconds = 0;

    template <typename Work>
    void add(Work work)
    {
        const auto start = std::chrono::steady_clock::now();
        const double processorStart = processCPUSeconds();
        work();
        processorSeconds += processCPUSeconds() - processorStart;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
};

// A 2 s utterance on a transcriber that gives back its mel and encoder output
// after each call, as the engine does while the application waits for speech,
// beside one that keeps them: "ratio" is what taking them again costs the
// next call, "cpu_ratio" the same in processor time, which other processes
// on a busy machine disturb less. The two take turns, so that such a machine
// slows both alike.
void BM_NextUtterance(benchmark::State& state)
{
    const auto& model = benchModel(sizeArgument(state));
    Platform::ML::setComputeThreads(threadsArgument(state));
    const QelCore::WhisperVocabulary vocabulary(model.vocabulary);
    QelCore::WhisperTranscriber kept(model, vocabulary), released(model, vocabulary);
    QelCore::DecodingSettings settings;
    settings.language = 0;
    settings.maxTokensPerWindow = 16;
    const auto audio = benchAudio();
    const long clip = 2L * Platform::ML::kSampleRate;
    const auto keptCall = [&] { benchmark::DoNotOptimize(kept.transcribe(audio.data(), clip, settings)); };
    const auto releasedCall = [&] {
        benchmark::DoNotOptimize(released.transcribe(audio.data(), clip, settings));
        released.releaseWindowBuffers();
    };
    keptCall();
    releasedCall();
    Taken keptTaken, releasedTaken;
    for (auto _ : state) {
        keptTaken.add(keptCall);
        releasedTaken.add(releasedCall);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["kept_ms"] = 1000 * keptTaken.seconds / iterations;
    state.counters["released_ms"] = 1000 * releasedTaken.seconds / iterations;
    state.counters["ratio"] = releasedTaken.seconds / keptTaken.seconds;
    state.counters["cpu_ratio"] = releasedTaken.processorSeconds / keptTaken.processorSeconds;
    Platform::ML::setComputeThreads(0);
}

BENCHMARK(BM_NextUtterance)->Apply(sizesAndThreads);

} // namespace
} // namespace QelBench
