// The decoding work around each decoder step that needs no model, at the
// multilingual vocabulary's size: the logits filters, the token sampler and the
// compression ratio of a full window; and the word timing of a full window.
// Set beside BM_FolderDecodedToken (tiny, one thread) in the same run.
#include "RadozodEri/Core/Constants.h"
#include "RadozodEri/Core/Text/GreedyTokenSampler.h"
#include "RadozodEri/Core/Text/SegmentSeeker.h"
#include "RadozodEri/Core/Text/SuppressBlankFilter.h"
#include "RadozodEri/Core/Text/SuppressTokensFilter.h"
#include "RadozodEri/Core/Text/TimestampRulesFilter.h"
#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "RadozodEri/Utilities/TextUtilities.h"
#include "tests/RadozodEri/Doubles/ByteTokenizer.h"

#include "Platform/CoreML/MLShapedArray.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace QelBench {
namespace {

using namespace RadozodEri;
using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;

constexpr int kVocabulary = 51865;
constexpr int kWords = 1000;
constexpr int kEndOfText = 50257;
constexpr int kTimeTokenBegin = 50364;
constexpr int kWindowTokens = 224;

// A tokenizer of kWords words (" w0", " w1", …) with the usual special ids.
const WhisperTokenizerWrapper& benchTokenizer()
{
    static const WhisperTokenizerWrapper tokenizer = [] {
        std::vector<std::string> pieces;
        for (int word = 0; word < kWords; ++word)
            pieces.push_back(" w" + std::to_string(word));
        return WhisperTokenizerWrapper(std::make_unique<TestSupport::ByteTokenizer>(
            pieces, std::map<std::string, int>{{"<|endoftext|>", kEndOfText},
                                               {"<|startoftranscript|>", 50258},
                                               {"<|en|>", 50259},
                                               {"<|translate|>", 50358},
                                               {"<|transcribe|>", 50359},
                                               {"<|notimestamps|>", 50363},
                                               {"<|0.00|>", kTimeTokenBegin}}));
    }();
    return tokenizer;
}

// Scores as a decoder step gives them: text likelier than the timestamps.
MLMultiArray stepScores()
{
    std::mt19937 random(7);
    std::normal_distribution<float> score(0.0f, 3.0f);
    std::vector<Float16> scores;
    for (int token = 0; token < kVocabulary; ++token)
        scores.emplace_back(score(random) - (token >= kTimeTokenBegin ? 6.0f : 0.0f));
    return MLMultiArray(Platform::CoreML::MLShapedArray<Float16>({1, 1, kVocabulary}, std::move(scores)));
}

// A window's prompt and 100 sampled tokens: text with a timestamp pair now
// and then.
std::vector<int> windowTokens()
{
    std::vector<int> tokens{50258, 50259, 50359};
    for (int index = 0; tokens.size() < 103; ++index)
        tokens.push_back(index % 20 == 0 ? kTimeTokenBegin + index : (index * 37) % kWords);
    return tokens;
}

// One step after the decoder's prediction, greedy (0) or sampled at 0.5
// among the 5 likeliest (1): fresh scores, the three filters of a window, the
// sampler, and the compression ratio of a full window's tokens.
void BM_DecodingStepWithoutModel(benchmark::State& state)
{
    const MLMultiArray fresh = stepScores();
    MLMultiArray logits = stepScores();
    const auto& tokenizer = benchTokenizer();
    SuppressTokensFilter suppress({1,    2,    7,    8,    9,    10,   14,   25,   26,   27,   28,   29,   31,
                                   58,   59,   60,   61,   62,   63,   90,   91,   92,   93,   359,  503,  522,
                                   542,  873,  893,  902,  918,  922,  931,  1350, 1853, 1982, 2460, 2627, 3246,
                                   3253, 3268, 3536, 3846, 3961, 4183, 4667, 6585, 6647, 7273, 9061, 9383});
    SuppressBlankFilter blank(tokenizer.specialTokens(), 3);
    TimestampRulesFilter timestamps(tokenizer.specialTokens(), 3, 50, true);
    GreedyTokenSampler sampler(state.range(0) ? 0.5f : 0.0f, kEndOfText, DecodingOptions{});
    const std::vector<int> tokens = windowTokens();
    const std::vector<float> logProbs(tokens.size(), -0.5f);
    std::vector<int> window(kWindowTokens);
    for (int index = 0; index < kWindowTokens; ++index)
        window[static_cast<std::size_t>(index)] = (index * 37) % kWords;
    for (auto _ : state) {
        std::memcpy(logits.mutableBytes(), fresh.bytes(), fresh.byteCount());
        for (LogitsFiltering* filter : std::initializer_list<LogitsFiltering*>{&suppress, &blank, &timestamps})
            filter->filterLogits(logits, tokens);
        benchmark::DoNotOptimize(sampler.update(tokens, logits, logProbs));
        benchmark::DoNotOptimize(compressionRatio(window));
    }
}

// The sampler alone, greedy (0) or sampled (1).
void BM_TokenSampling(benchmark::State& state)
{
    const MLMultiArray logits = stepScores();
    GreedyTokenSampler sampler(state.range(0) ? 0.5f : 0.0f, kEndOfText, DecodingOptions{});
    const std::vector<int> tokens = windowTokens();
    const std::vector<float> logProbs(tokens.size(), -0.5f);
    for (auto _ : state)
        benchmark::DoNotOptimize(sampler.update(tokens, logits, logProbs));
}

// Word timing for a full window: two segments of 110 text tokens between
// timestamps, aligned over the window's 1500 audio positions.
void BM_WindowWordTimestamps(benchmark::State& state)
{
    const auto& tokenizer = benchTokenizer();
    std::vector<TranscriptionSegment> segments(2);
    for (int which = 0; which < 2; ++which) {
        auto& segment = segments[static_cast<std::size_t>(which)];
        segment.start = static_cast<float>(which) * 15.0f;
        segment.end = segment.start + 15.0f;
        segment.tokens.push_back(kTimeTokenBegin + which * 750);
        for (int index = 0; index < 110; ++index)
            segment.tokens.push_back((index * 37 + which) % kWords);
        segment.tokens.push_back(kTimeTokenBegin + which * 750 + 750);
        for (int token : segment.tokens)
            segment.tokenLogProbs.push_back({{token, -0.3f}});
    }
    // Attention that moves along the window as the tokens do, with noise.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(0.0f, 0.1f);
    std::vector<Float16> weights;
    for (int row = 0; row < kWindowTokens; ++row)
        for (int column = 0; column < 1500; ++column)
            weights.emplace_back(noise(random) + (std::abs(column - row * 1500 / kWindowTokens) < 8 ? 1.0f : 0.0f));
    const MLMultiArray alignment(Platform::CoreML::MLShapedArray<Float16>({kWindowTokens, 1500}, std::move(weights)));
    SegmentSeeker seeker;
    for (auto _ : state)
        benchmark::DoNotOptimize(seeker.addWordTimestamps(
            segments, alignment, tokenizer, 0, 480000, Constants::defaultPrependPunctuations,
            Constants::defaultAppendPunctuations, 0.0f, DecodingOptions{}, TranscriptionTimings{}));
    state.SetLabel("224 x 1500");
}

BENCHMARK(BM_DecodingStepWithoutModel)->Arg(0)->Arg(1)->ArgName("sampled")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TokenSampling)->Arg(0)->Arg(1)->ArgName("sampled")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowWordTimestamps)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace QelBench
