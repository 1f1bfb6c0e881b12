#include "RadozodEri/Core/AudioEncoderRecords.h"
#include "RadozodEri/Core/MelSpectrogramRecords.h"
#include "RadozodEri/Core/TextDecoderCachePrefillRecords.h"
#include "RadozodEri/Core/TextDecoderRecords.h"

#include "Platform/CoreML/MLModel.h"
#include "Platform/CoreML/MLModelError.h"
#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using Platform::CoreML::MLMultiArrayDataType;

namespace {

MLMultiArray halves(std::vector<std::int64_t> shape) { return MLMultiArray(std::move(shape), MLMultiArrayDataType::float16); }

MLMultiArray integer(int value)
{
    MLMultiArray array({1}, MLMultiArrayDataType::int32);
    array.setNumber(0, value);
    return array;
}

} // namespace

// The model reads the caller's buffers themselves, never copies.
TEST(ModelRecords, InputRecordsHandOverTheArraysTheyHold)
{
    const TestSupport::TestModelKinds testKinds;
    const MLMultiArray ids = integer(5);
    const TextDecoderInput input(ids, integer(2), halves({1, 4, 1, 8}), halves({1, 4, 1, 8}), halves({1, 8}),
                                 halves({1, 6, 1, 10}), halves({1, 8}));
    EXPECT_EQ(input.featureNames(),
              (std::set<std::string>{"input_ids", "cache_length", "key_cache", "value_cache", "kv_cache_update_mask",
                                     "encoder_output_embeds", "decoder_key_padding_mask"}));
    EXPECT_TRUE(input.featureValue("input_ids")->multiArrayValue()->isSameArray(ids));
    EXPECT_TRUE(input.featureValue("decoder_key_padding_mask")->multiArrayValue()->isSameArray(input.decoder_key_padding_mask));
    EXPECT_FALSE(input.featureValue("INPUT_IDS"));
    EXPECT_FALSE(input.featureValue("logits"));

    const TextDecoderCachePrefillInput prefill(integer(1), integer(50261));
    EXPECT_EQ(prefill.featureNames(), (std::set<std::string>{"task", "language"}));
    EXPECT_EQ(prefill.featureValue("language")->multiArrayValue()->number(0), 50261);
    EXPECT_EQ(MelSpectrogramInput(halves({480000})).featureNames(), std::set<std::string>{"audio"});
    EXPECT_EQ(AudioEncoderInput(halves({1, 80, 1, 3000})).featureNames(),
              std::set<std::string>{"melspectrogram_features"});

    // Shaped arrays are copied into new arrays of the same shape and values.
    const AudioEncoderInput shaped(MLShapedArray<float>({1, 3}, {0.5f, -1, 2}));
    EXPECT_EQ(shaped.melspectrogram_features.shape(), (std::vector<std::int64_t>{1, 3}));
    EXPECT_EQ(shaped.melspectrogram_features.number(1), -1);
}

TEST(ModelRecords, OutputRecordsReadTheirProviderAndReportWhatIsMissing)
{
    const TestSupport::TestModelKinds testKinds;
    MLMultiArray logits = halves({1, 1, 16});
    logits.setNumber(3, 2.5);
    const TextDecoderOutput output(logits, halves({1, 4, 1, 1}), halves({1, 4, 1, 1}), integer(3));
    EXPECT_EQ(output.featureNames(), (std::set<std::string>{"logits", "key_cache_updates", "value_cache_updates"}));
    EXPECT_FALSE(output.alignment_heads_weights());
    EXPECT_FALSE(output.alignment_heads_weightsShapedArray());
    EXPECT_TRUE(output.logits().isSameArray(logits));
    EXPECT_EQ(static_cast<float>(output.logitsShapedArray().scalars()[3]), 2.5f);

    const MLMultiArray features = halves({1, 80, 1, 3});
    const MelSpectrogramOutput mel(std::make_shared<Platform::CoreML::MLDictionaryFeatureProvider>(
        std::map<std::string, MLFeatureValue>{{"melspectrogram_features", MLFeatureValue(features)}}));
    EXPECT_TRUE(mel.melspectrogramFeatures().isSameArray(features));
    EXPECT_EQ(mel.melspectrogram_featuresShapedArray().shape(), features.shape());

    const AudioEncoderOutput lacking(std::make_shared<Platform::CoreML::MLDictionaryFeatureProvider>(
        std::map<std::string, MLFeatureValue>{{"encoder_output_embeds", MLFeatureValue(std::int64_t{1})}}));
    EXPECT_THROW(lacking.encoder_output_embeds(), Platform::CoreML::MLModelError);
    const TextDecoderCachePrefillOutput prefill(halves({1, 4, 1, 3}), halves({1, 4, 1, 3}));
    EXPECT_EQ(prefill.value_cache_prefillShapedArray().shape(), (std::vector<std::int64_t>{1, 4, 1, 3}));
}

TEST(ModelRecords, CarryADecodingStepThroughAModel)
{
    const TestSupport::TestModelKinds testKinds;
    TestSupport::TemporaryFolder folder;
    const TestSupport::DecoderGeometry g;
    const auto model = Platform::CoreML::MLModel::load(
        TestSupport::writeModelFolder(folder.path(), "TextDecoder", TestSupport::scriptedDecoderManifest(g, {4, 9})));
    const TextDecoderInput input(integer(4), integer(1), halves({1, 4, 1, 8}), halves({1, 4, 1, 8}), halves({1, 8}),
                                 halves({1, 6, 1, 10}), halves({1, 8}));
    const TextDecoderOutput output(model->prediction(input));
    EXPECT_EQ(output.logits().number(9), 30);
    EXPECT_EQ(output.value_cache_updates().number(0), 1);
    ASSERT_TRUE(output.alignment_heads_weights());
    EXPECT_EQ(output.alignment_heads_weights()->number(1), 1);
}
