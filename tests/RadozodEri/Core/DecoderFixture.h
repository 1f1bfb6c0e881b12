#pragma once

// A text decoder over small model folders, with a tokenizer of a few words,
// two languages besides English, and timestamps from `ts0`.

#include "RadozodEri/Core/TextDecoder.h"
#include "RadozodEri/Core/TextDecoderContextPrefill.h"
#include "RadozodEri/Core/WhisperTokenizerWrapper.h"
#include "RadozodEri/Doubles/ByteTokenizer.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Models/MultiArrayHelpers.h"
#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace DecoderTest {

enum Token : int {
    hello,
    world,
    fullStop,
    eot = 20,
    sot,
    en,
    de,
    fr,
    translate,
    transcribe,
    startOfPrevious,
    noTimestamps,
    ts0,
};
inline constexpr int vocabulary = 40;

inline std::shared_ptr<const RadozodEri::WhisperTokenizer> tokenizer()
{
    return std::make_shared<RadozodEri::WhisperTokenizerWrapper>(
        std::make_unique<TestSupport::ByteTokenizer>(std::vector<std::string>{" Hello", " world", "."},
                                                     std::map<std::string, int>{{"<|endoftext|>", eot},
                                                                                {"<|startoftranscript|>", sot},
                                                                                {"<|en|>", en},
                                                                                {"<|de|>", de},
                                                                                {"<|fr|>", fr},
                                                                                {"<|translate|>", translate},
                                                                                {"<|transcribe|>", transcribe},
                                                                                {"<|startofprev|>", startOfPrevious},
                                                                                {"<|notimestamps|>", noTimestamps},
                                                                                {"<|0.00|>", ts0},
                                                                                {"<|0.02|>", ts0 + 1}}));
}

// The geometry of a decoder whose caches hold a whole window.
inline TestSupport::DecoderGeometry windowGeometry()
{
    TestSupport::DecoderGeometry geometry;
    geometry.sequence = 224;
    geometry.vocabulary = vocabulary;
    return geometry;
}

// Audio embeddings of the geometry, all zero.
inline Platform::CoreML::MLFeatureValue encoderOutput(const TestSupport::DecoderGeometry& g = windowGeometry())
{
    return Platform::CoreML::MLFeatureValue(Platform::CoreML::MLMultiArray(
        {1, g.audioEmbed, 1, g.window}, Platform::CoreML::MLMultiArrayDataType::float16));
}

// A decoder whose context prefill gives `positions` cache positions (none:
// it has no prefill model) and notes the task and language it was asked for.
class PrefillingDecoder : public RadozodEri::TextDecoder {
public:
    explicit PrefillingDecoder(std::int64_t positions, std::int64_t channels = 4)
    {
        if (positions <= 0)
            return;
        prefillData = std::make_shared<RadozodEri::TextDecoderContextPrefill>();
        const auto halves = [&] {
            return RuntimeCore::multiArray({1, channels, 1, positions}, Platform::CoreML::MLMultiArrayDataType::float16,
                                           Platform::CoreML::Float16(7.0f));
        };
        answer = RadozodEri::DecodingCache{halves(), halves(), std::nullopt};
    }

    std::optional<RadozodEri::DecodingCache> prefillKVCache(const Platform::CoreML::MLMultiArray& task,
                                                            const Platform::CoreML::MLMultiArray& language,
                                                            std::stop_token) override
    {
        requests.emplace_back(static_cast<int>(task.number(0)), static_cast<int>(language.number(0)));
        if (!answer)
            return std::nullopt;
        return *answer;
    }

    // What the prefill answers: by default [1, channels, 1, positions] halves
    // that hold 7.
    std::optional<RadozodEri::DecodingCache> answer;
    // (task, language) of every request.
    std::vector<std::pair<int, int>> requests;
};

// A scripted model that picks `script` at positions 0, 1, …, with the update
// mask of integers that the decoder keeps.
inline std::filesystem::path scriptedModel(const std::filesystem::path& folder, const std::vector<int>& script,
                                           const TestSupport::DecoderGeometry& geometry)
{
    std::filesystem::create_directories(folder);
    auto manifest = TestSupport::scriptedDecoderManifest(geometry, script);
    for (auto& input : manifest.inputs)
        if (input.name == "kv_cache_update_mask")
            input.multiArrayConstraint->dataType = Platform::CoreML::MLMultiArrayDataType::int32;
    return TestSupport::writeModelFolder(folder, "TextDecoder", std::move(manifest));
}

// A decoder of the class `Decoder` over a scripted model, with the test
// tokenizer loaded.
template <class Decoder = RadozodEri::TextDecoder, class... Arguments>
std::shared_ptr<Decoder> scriptedDecoder(const std::filesystem::path& folder, const std::vector<int>& script,
                                         const TestSupport::DecoderGeometry& geometry, Arguments... arguments)
{
    auto decoder = std::make_shared<Decoder>(arguments...);
    decoder->loadModel(scriptedModel(folder, script, geometry), Platform::CoreML::MLComputeUnits::cpuOnly, false);
    decoder->tokenizer = tokenizer();
    return decoder;
}

// The first `count` elements of an array, as numbers.
inline std::vector<double> numbers(const Platform::CoreML::MLMultiArray& array, std::int64_t count)
{
    std::vector<double> values;
    for (std::int64_t i = 0; i < count; ++i)
        values.push_back(array.number(i));
    return values;
}

// Runs `call`, which must fail with the engine error of `kind` and `message`.
template <class Call>
void expectWhisperError(Call call, RadozodEri::WhisperError::Kind kind, const std::string& message)
{
    try {
        call();
        ADD_FAILURE() << "no error; expected " << message;
    } catch (const RadozodEri::WhisperError& error) {
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.what(), message);
    }
}

} // namespace DecoderTest
