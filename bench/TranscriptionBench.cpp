// A whole transcription of a 10 s clip through the engine library: mel,
// encoder, cross-attention and greedy decoding, on one transcriber that has
// run the clip once. The tokens it chose are counted: a random model may end
// its text early, and figures compare only at equal counts.
#include "bench/BenchModels.h"

#include "Platform/ML/Ops/ComputeThreads.h"
#include "QelCore/Decoding/WhisperTranscriber.h"

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

} // namespace
} // namespace QelBench
