// The engine's model stages over the converted tiny- and base-sized folders,
// beside the same predictions run bare (WhisperFoldersBench): the feature
// extractor and the audio encoder around one prediction each, and a whole
// 224-token window through the text decoder's loop beside its predictions
// alone, each followed by the caller's cache copy; and that cache copy
// done one channel after the other or spread over all threads.
#include "bench/BenchModels.h"

#include "Platform/Concurrency/ParallelFor.h"
#include "Platform/ML/Ops/ComputeThreads.h"
#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/Text/Logits.h"
#include "RadozodEri/Core/Text/LogitsFiltering.h"
#include "RadozodEri/Core/TextDecoder.h"
#include "RadozodEri/Core/WhisperTokenizer.h"
#include "tools/ModelFolder/FolderDecoding.h"
#include "tools/ModelFolder/WhisperFolders.h"

#include <benchmark/benchmark.h>

namespace QelBench {
namespace {

using namespace Platform::CoreML;
using Platform::ML::setComputeThreads;

std::filesystem::path folder(ModelSize size, std::string_view name)
{
    return benchFolders(size, MLMultiArrayDataType::float16) / name;
}

// The special tokens of the bench models (multilingual, 99 languages); text
// decodes to nothing, which the loop only logs.
class BenchTokenizer : public RadozodEri::WhisperTokenizer {
public:
    std::vector<int> encode(std::string_view) const override { return {}; }
    std::string decode(std::span<const int>) const override { return {}; }
    std::optional<int> convertTokenToId(std::string_view token) const override
    {
        if (token == "<|en|>")
            return 50259;
        if (token == "<|transcribe|>")
            return special_.transcribeToken;
        return std::nullopt;
    }
    std::optional<std::string> convertIdToToken(int) const override { return std::nullopt; }
    const RadozodEri::SpecialTokens& specialTokens() const override { return special_; }
    const std::unordered_set<int>& allLanguageTokens() const override { return languages_; }
    RadozodEri::WordTokens splitToWordTokens(std::span<const int>) const override { return {}; }

private:
    RadozodEri::SpecialTokens special_{.endToken = 50257,
                                       .englishToken = 50259,
                                       .noSpeechToken = 50362,
                                       .noTimestampsToken = 50363,
                                       .specialTokenBegin = 50257,
                                       .startOfPreviousToken = 50361,
                                       .startOfTranscriptToken = 50258,
                                       .timeTokenBegin = 50364,
                                       .transcribeToken = 50359,
                                       .translateToken = 50358,
                                       .whitespaceToken = 220};
    std::unordered_set<int> languages_{50259};
};

// Keeps the window going for its whole budget: only text tokens are sampled.
class TextOnly : public RadozodEri::LogitsFiltering {
public:
    MLMultiArray filterLogits(MLMultiArray logits, std::span<const int>) override
    {
        const auto scores = RadozodEri::logitScores(logits);
        RadozodEri::maskTokens(scores, 50257, static_cast<std::int64_t>(scores.size()));
        return logits;
    }
};

MLMultiArray encoderOutput(ModelSize size)
{
    const auto mel = MLModel::load(folder(size, QelTools::kMelSpectrogramFolder));
    const auto encoder = MLModel::load(folder(size, QelTools::kAudioEncoderFolder));
    const auto features = QelTools::predictArray(*mel, "audio", audioWindow(*mel), "melspectrogram_features");
    return QelTools::predictArray(*encoder, "melspectrogram_features", features, "encoder_output_embeds");
}

void BM_ExtractorMel(benchmark::State& state)
{
    RadozodEri::FeatureExtractor extractor;
    extractor.loadModel(folder(sizeArgument(state), QelTools::kMelSpectrogramFolder), MLComputeUnits::cpuOnly, false);
    setComputeThreads(threadsArgument(state));
    const MLFeatureValue window(audioWindow(*extractor.model()));
    for (auto _ : state)
        benchmark::DoNotOptimize(extractor.logMelSpectrogram(window)->multiArrayValue()->bytes());
    setComputeThreads(0);
}

void BM_EncoderDriver(benchmark::State& state)
{
    const auto size = sizeArgument(state);
    RadozodEri::FeatureExtractor extractor;
    RadozodEri::AudioEncoder encoder;
    extractor.loadModel(folder(size, QelTools::kMelSpectrogramFolder), MLComputeUnits::cpuOnly, false);
    encoder.loadModel(folder(size, QelTools::kAudioEncoderFolder), MLComputeUnits::cpuOnly, false);
    setComputeThreads(threadsArgument(state));
    const auto features = *extractor.logMelSpectrogram(MLFeatureValue(audioWindow(*extractor.model())));
    for (auto _ : state)
        benchmark::DoNotOptimize(encoder.encodeFeatures(features)->multiArrayValue()->bytes());
    setComputeThreads(0);
}

// A whole window: the prompt [start, en, transcribe, no timestamps], then
// text tokens up to the token budget, 223 decoder calls.
RadozodEri::DecodingOptions windowOptions()
{
    RadozodEri::DecodingOptions options;
    options.language = "en";
    options.withoutTimestamps = true;
    options.firstTokenLogProbThreshold.reset();
    return options;
}

std::shared_ptr<RadozodEri::TextDecoder> benchDecoder(ModelSize size)
{
    auto decoder = std::make_shared<RadozodEri::TextDecoder>();
    decoder->loadModel(folder(size, QelTools::kTextDecoderFolder), MLComputeUnits::cpuOnly, false);
    decoder->tokenizer = std::make_shared<BenchTokenizer>();
    decoder->isModelMultilingual = true;
    decoder->logitsFilters->push_back(std::make_shared<TextOnly>());
    return decoder;
}

RadozodEri::DecodingResult decodeWindow(RadozodEri::TextDecoder& decoder, RadozodEri::DecodingInputs& inputs,
                                        const MLFeatureValue& audio)
{
    const auto options = windowOptions();
    inputs.reset(0, 224);
    RadozodEri::GreedyTokenSampler sampler(0, 50257, options);
    return decoder.decodeText(audio, inputs, sampler, options);
}

void BM_DecoderLoopWindow(benchmark::State& state)
{
    const auto size = sizeArgument(state);
    const auto decoder = benchDecoder(size);
    const MLFeatureValue audio(encoderOutput(size));
    const auto inputs = decoder->prepareDecoderInputs({50258});
    decoder->prefillDecoderInputs(*inputs, windowOptions());
    setComputeThreads(threadsArgument(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeWindow(*decoder, *inputs, audio).tokens.data());
    setComputeThreads(0);
}

// The same window's 223 predictions and cache copies, with the tokens the
// loop fed, and nothing else.
void BM_DecoderPredictionsWindow(benchmark::State& state)
{
    const auto size = sizeArgument(state);
    const auto decoder = benchDecoder(size);
    const auto audio = encoderOutput(size);
    const auto inputs = decoder->prepareDecoderInputs({50258});
    decoder->prefillDecoderInputs(*inputs, windowOptions());
    const auto tokens = decodeWindow(*decoder, *inputs, MLFeatureValue(audio)).tokens;
    const auto model = MLModel::load(folder(size, QelTools::kTextDecoderFolder));
    QelTools::FolderDecoding decoding(*model, audio);
    setComputeThreads(threadsArgument(state));
    for (auto _ : state) {
        decoding.restart();
        for (int position = 0; position < 223; ++position) {
            const auto outputs = decoding.step(tokens[static_cast<std::size_t>(position)], position);
            benchmark::DoNotOptimize(QelTools::outputArray(*outputs, "logits").bytes());
        }
    }
    setComputeThreads(0);
}

// One token's key and value copied into base-sized caches (3072 channels of
// 448 positions): the decoder's copy, one channel after the other, beside the
// same copy spread over all threads by channel.
void BM_KVCacheCopy(benchmark::State& state)
{
    const std::int64_t channels = 512 * 6, positions = 448;
    MLMultiArray keys({1, channels, 1, positions}, MLMultiArrayDataType::float16);
    MLMultiArray values({1, channels, 1, positions}, MLMultiArrayDataType::float16);
    const MLMultiArray keySlice({1, channels, 1, 1}, MLMultiArrayDataType::float16);
    const MLMultiArray valueSlice({1, channels, 1, 1}, MLMultiArrayDataType::float16);
    const bool parallel = state.range(0) != 0;
    for (auto _ : state) {
        if (!parallel) {
            RadozodEri::TextDecoding::updateKVCache(keys, keySlice, values, valueSlice, 100);
            continue;
        }
        const auto keyOut = keys.mutableValues<Float16>();
        const auto valueOut = values.mutableValues<Float16>();
        const auto keyIn = keySlice.values<Float16>();
        const auto valueIn = valueSlice.values<Float16>();
        Platform::parallelFor(channels, 1, allThreads(), [&](long begin, long end) {
            for (long channel = begin; channel < end; ++channel) {
                const auto at = static_cast<std::size_t>(channel * positions + 100);
                keyOut[at] = keyIn[static_cast<std::size_t>(channel)];
                valueOut[at] = valueIn[static_cast<std::size_t>(channel)];
            }
        });
    }
}

BENCHMARK(BM_ExtractorMel)->Apply(tinyAndBaseAtOneAndAllThreads);
BENCHMARK(BM_EncoderDriver)->Apply(tinyAndBaseAtOneAndAllThreads);
BENCHMARK(BM_DecoderLoopWindow)->Apply(tinyAndBaseAtOneAndAllThreads);
BENCHMARK(BM_DecoderPredictionsWindow)->Apply(tinyAndBaseAtOneAndAllThreads);
BENCHMARK(BM_KVCacheCopy)->Arg(0)->Arg(1)->ArgName("parallel")->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace QelBench
