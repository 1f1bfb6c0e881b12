#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/Kinds/ScriptedDecoder.h"
#include "Platform/CoreML/MLModel.h"
#include "Platform/CoreML/MLModelError.h"

#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

using namespace Platform::CoreML;
using namespace TestSupport;

namespace {

// A decoder's inputs as its caller passes them: 16-bit floats where the model
// declares 32-bit ones.
std::map<std::string, MLFeatureValue> decoderInputs(const DecoderGeometry& g, int token, int position)
{
    const auto halves = [](std::vector<std::int64_t> shape) {
        return MLFeatureValue(MLMultiArray(std::move(shape), MLMultiArrayDataType::float16));
    };
    const auto integer = [](int value) {
        MLMultiArray array({1}, MLMultiArrayDataType::int32);
        array.setNumber(0, value);
        return MLFeatureValue(array);
    };
    return {
        {"input_ids", integer(token)},
        {"cache_length", integer(position)},
        {"key_cache", halves({1, g.embed, 1, g.sequence})},
        {"value_cache", halves({1, g.embed, 1, g.sequence})},
        {"kv_cache_update_mask", halves({1, g.sequence})},
        {"encoder_output_embeds", halves({1, g.audioEmbed, 1, g.window})},
        {"decoder_key_padding_mask", halves({1, g.sequence})},
    };
}

std::vector<double> numbers(const MLFeatureProvider& outputs, const std::string& name)
{
    const MLMultiArray array = *outputs.featureValue(name)->multiArrayValue();
    std::vector<double> result;
    for (std::int64_t i = 0; i < array.count(); ++i)
        result.push_back(array.number(i));
    return result;
}

std::int64_t argmax(const std::vector<double>& values)
{
    return std::max_element(values.begin(), values.end()) - values.begin();
}

} // namespace

TEST(MLModel, DescribesTheFeaturesOfItsFolderAndKeepsItsConfiguration)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const DecoderGeometry g;
    const auto path = writeModelFolder(folder.path(), "TextDecoder", scriptedDecoderManifest(g, {3}));
    const auto model = MLModel::load(path, MLModelConfiguration{MLComputeUnits::cpuAndNeuralEngine});

    EXPECT_EQ(model->configuration().computeUnits, MLComputeUnits::cpuAndNeuralEngine);
    const auto& inputs = model->modelDescription().inputDescriptionsByName;
    const auto& outputs = model->modelDescription().outputDescriptionsByName;
    EXPECT_EQ(inputs.size(), 7u);
    EXPECT_EQ(outputs.size(), 4u);
    const auto& keyCache = *inputs.at("key_cache").multiArrayConstraint;
    EXPECT_EQ(keyCache.shape, (std::vector<std::int64_t>{1, 4, 1, 8}));
    EXPECT_EQ(keyCache.dataType, MLMultiArrayDataType::float32);
    EXPECT_EQ(outputs.at("logits").multiArrayConstraint->dataType, MLMultiArrayDataType::float16);
}

TEST(MLModel, ScriptedDecoderAnswersWhatIsWrittenDown)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const DecoderGeometry g{.vocabulary = 2000};
    const auto model = MLModel::load(writeModelFolder(folder.path(), "TextDecoder", scriptedDecoderManifest(g, {7, 2, 15})));

    const struct {
        int token;
        int position;
        std::int64_t chosen;
        std::int64_t alignedTo;
    } steps[] = {{1, 0, 7, 0}, {7, 1, 2, 1}, {1999, 2, 15, 2}, {15, 7, 15, 8}, {15, 40, 15, 9}};
    for (const auto& step : steps) {
        const MLDictionaryFeatureProvider inputs(decoderInputs(g, step.token, step.position));
        const auto outputs = model->prediction(inputs);
        EXPECT_EQ(outputs->featureNames(),
                  (std::set<std::string>{"alignment_heads_weights", "key_cache_updates", "logits", "value_cache_updates"}));
        const auto logits = numbers(*outputs, "logits");
        EXPECT_EQ(argmax(logits), step.chosen) << step.position;
        EXPECT_EQ(logits[static_cast<size_t>(step.chosen)], ScriptedDecoder::kScriptedLogit);
        const auto keys = numbers(*outputs, "key_cache_updates");
        EXPECT_EQ(keys[0] * 1024 + keys[1], step.token);
        EXPECT_EQ(keys[2] * 1024 + keys[3], step.token);
        EXPECT_EQ(numbers(*outputs, "value_cache_updates"), std::vector<double>(4, step.position));
        const auto alignment = numbers(*outputs, "alignment_heads_weights");
        EXPECT_EQ(argmax(alignment), step.alignedTo) << step.position;
        EXPECT_EQ(std::count(alignment.begin(), alignment.end(), 0.0), g.window - 1);
    }
}

TEST(MLModel, PredictionRefusesInputsThatDoNotMatchTheDescription)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const DecoderGeometry g;
    const auto model = MLModel::load(writeModelFolder(folder.path(), "TextDecoder", scriptedDecoderManifest(g, {3})));
    using Inputs = std::map<std::string, MLFeatureValue>;
    const struct {
        const char* what;
        std::function<void(Inputs&)> change;
        const char* error; // empty: accepted
    } cases[] = {
        {"as the caller passes them", [](Inputs&) {}, ""},
        {"32-bit floats", [&](Inputs& in) { in.insert_or_assign("key_cache", MLFeatureValue(MLMultiArray({1, 4, 1, 8}, MLMultiArrayDataType::float32))); }, ""},
        {"a feature missing", [](Inputs& in) { in.erase("key_cache"); }, "Input 'key_cache' is required but was not given"},
        {"an integer for an array", [](Inputs& in) { in.insert_or_assign("value_cache", MLFeatureValue(std::int64_t{1})); }, "Input 'value_cache' is int64, expected multiArray"},
        {"integers for floats", [](Inputs& in) { in.insert_or_assign("key_cache", MLFeatureValue(MLMultiArray({1, 4, 1, 8}, MLMultiArrayDataType::int32))); }, "Input 'key_cache' holds int32, expected float32"},
        {"floats for integers", [](Inputs& in) { in.insert_or_assign("input_ids", MLFeatureValue(MLMultiArray({1}, MLMultiArrayDataType::float16))); }, "holds float16, expected int32"},
        {"another shape", [](Inputs& in) { in.insert_or_assign("kv_cache_update_mask", MLFeatureValue(MLMultiArray({1, 9}, MLMultiArrayDataType::float16))); }, "has shape [1, 9], expected [1, 8]"},
        {"a negative position", [&](Inputs& in) { in = decoderInputs(g, 1, -1); }, "cache_length holds -1"},
        {"a token past the vocabulary", [&](Inputs& in) { in = decoderInputs(g, 16, 0); }, "input_ids holds 16, not a token"},
    };
    for (const auto& c : cases) {
        Inputs inputs = decoderInputs(g, 1, 0);
        c.change(inputs);
        const MLDictionaryFeatureProvider provider(inputs);
        try {
            model->prediction(provider);
            EXPECT_STREQ(c.error, "") << c.what;
        } catch (const MLModelError& error) {
            EXPECT_NE(std::string(c.error), "") << c.what << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << c.what << ": " << error.what();
        }
    }
}

// Whatever a model declares, arrays or not, comes back as zeros; what it does
// not declare does not come back at all.
TEST(MLModel, ShapeOnlyModelsAnswerZerosOfTheirDeclaredOutputs)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const auto path = writeModelFolder(
        folder.path(), "AudioEncoder",
        shapeOnlyManifest({integerFeature("melspectrogram_features")},
                          {arrayFeature("encoder_output_embeds", MLMultiArrayDataType::float16, {1, 3, 1, 5}),
                           integerFeature("extra")}));
    const auto model = MLModel::load(path);
    EXPECT_FALSE(model->modelDescription().inputDescriptionsByName.at("melspectrogram_features").multiArrayConstraint);

    const MLDictionaryFeatureProvider inputs({{"melspectrogram_features", MLFeatureValue(std::int64_t{4})}});
    const auto outputs = model->prediction(inputs);
    EXPECT_EQ(outputs->featureNames(), (std::set<std::string>{"encoder_output_embeds", "extra"}));
    EXPECT_EQ(numbers(*outputs, "encoder_output_embeds"), std::vector<double>(15, 0.0));
    EXPECT_EQ(outputs->featureValue("extra")->type(), MLFeatureType::int64);
    EXPECT_FALSE(outputs->featureValue("extra")->multiArrayValue());
}

// One model, many callers: every thread sees the answers one thread sees.
TEST(MLModel, ThreadsPredictingOnOneModelGetTheOneThreadAnswers)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const DecoderGeometry g{.sequence = 64, .vocabulary = 500};
    std::vector<int> script;
    for (int i = 0; i < 64; ++i)
        script.push_back((i * 37) % 500);
    const auto model = MLModel::load(writeModelFolder(folder.path(), "TextDecoder", scriptedDecoderManifest(g, script)));

    const auto run = [&](int first) {
        std::vector<std::vector<double>> answers;
        for (int position = 0; position < 64; ++position) {
            const MLDictionaryFeatureProvider inputs(decoderInputs(g, (first + position) % 500, position));
            const auto outputs = model->prediction(inputs);
            for (const char* name : {"logits", "key_cache_updates", "value_cache_updates", "alignment_heads_weights"})
                answers.push_back(numbers(*outputs, name));
        }
        return answers;
    };
    std::vector<std::vector<std::vector<double>>> expected;
    for (int thread = 0; thread < 8; ++thread)
        expected.push_back(run(thread * 50));

    std::vector<std::vector<std::vector<double>>> answers(8);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread)
        threads.emplace_back([&, thread] { answers[static_cast<size_t>(thread)] = run(thread * 50); });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(answers, expected);
}
