#include "RadozodEri/Core/TextDecoder.h"

#include "DecoderFixture.h"
#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using namespace DecoderTest;
using Platform::CoreML::Float16;
using Platform::CoreML::MLMultiArray;
using TestSupport::arrayFeature;
using enum Platform::CoreML::MLMultiArrayDataType;

TEST(TextDecoder, SizesTheBuffersOfAWindowFromItsModel)
{
    TextDecoder decoder;
    EXPECT_EQ(decoder.logitsSize(), std::nullopt);
    EXPECT_EQ(decoder.kvCacheEmbedDim(), std::nullopt);
    EXPECT_EQ(decoder.kvCacheMaxSequenceLength(), std::nullopt);
    EXPECT_EQ(decoder.windowSize(), std::nullopt);
    EXPECT_EQ(decoder.embedSize(), std::nullopt);
    EXPECT_FALSE(decoder.supportsWordTimestamps());
    expectWhisperError([&] { decoder.prepareDecoderInputs({sot}); }, WhisperError::Kind::prepareDecoderInputsFailed,
                       "Unable to determine kvCacheEmbedDim");

    TestSupport::TemporaryFolder folder;
    decoder.loadModel(
        TestSupport::writeModelFolder(
            folder.path(), "TextDecoder",
            TestSupport::shapeOnlyManifest({arrayFeature("key_cache", float16, {1, 384, 1, 224}),
                                            arrayFeature("encoder_output_embeds", float16, {1, 512, 1, 1500})},
                                           {arrayFeature("logits", float16, {1, 1, 51865})})),
        Platform::CoreML::MLComputeUnits::cpuOnly, false);
    EXPECT_EQ(decoder.logitsSize(), 51865);
    EXPECT_EQ(decoder.embedSize(), 512);
    EXPECT_FALSE(decoder.supportsWordTimestamps());

    const auto inputs = decoder.prepareDecoderInputs({sot, en});
    EXPECT_EQ(inputs->initialPrompt, (std::vector<int>{sot, en}));
    EXPECT_EQ(inputs->keyCache.shape(), (std::vector<std::int64_t>{1, 384, 1, 224}));
    EXPECT_EQ(inputs->valueCache.shape(), inputs->keyCache.shape());
    EXPECT_EQ(inputs->prefillKeyCache.shape(), inputs->keyCache.shape());
    EXPECT_EQ(inputs->alignmentWeights.shape(), (std::vector<std::int64_t>{224, 1500}));
    EXPECT_EQ(inputs->kvCacheUpdateMask.shape(), (std::vector<std::int64_t>{1, 224}));
    EXPECT_EQ(inputs->kvCacheUpdateMask.dataType(), int32);
    EXPECT_EQ(inputs->decoderKeyPaddingMask.dataType(), float16);
    EXPECT_EQ(numbers(inputs->kvCacheUpdateMask, 3), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(numbers(inputs->decoderKeyPaddingMask, 3), (std::vector<double>{0, -10000, -10000}));
    // The prefill's buffers start as zeros like the rest.
    for (const MLMultiArray* array : {&inputs->prefillKeyCache, &inputs->prefillValueCache, &inputs->keyCache})
        for (auto value : array->values<Float16>())
            ASSERT_EQ(static_cast<float>(value), 0.0f);
}

TEST(TextDecoder, PredictsOnlyFromTheRecordOfSevenArraysAndKeepsAlignmentWhenTheModelHasIt)
{
    TestSupport::TemporaryFolder folder;
    for (const bool alignment : {true, false}) {
        auto geometry = windowGeometry();
        geometry.alignment = alignment;
        const auto decoder = scriptedDecoder(folder.path() / (alignment ? "a" : "b"), {hello}, geometry);
        EXPECT_EQ(decoder->supportsWordTimestamps(), alignment);
        expectWhisperError([&] { decoder->predictLogits(MLMultiArray({1}, int32)); },
                           WhisperError::Kind::transcriptionFailed, "Input must be TextDecoderMLMultiArrayInputType");

        const auto inputs = decoder->prepareDecoderInputs({sot});
        const TextDecoderMLMultiArrayInputType step{inputs->inputIds,
                                                    inputs->cacheLength,
                                                    inputs->keyCache,
                                                    inputs->valueCache,
                                                    inputs->kvCacheUpdateMask,
                                                    *encoderOutput().multiArrayValue(),
                                                    inputs->decoderKeyPaddingMask};
        const auto output = decoder->predictLogits(step);
        ASSERT_TRUE(output && output->logits && output->cache);
        EXPECT_EQ(output->logits->shape(), (std::vector<std::int64_t>{1, 1, vocabulary}));
        EXPECT_TRUE(output->cache->keyCache && output->cache->valueCache);
        EXPECT_EQ(output->cache->alignmentWeights.has_value(), alignment);

        std::stop_source stop;
        stop.request_stop();
        EXPECT_THROW(decoder->predictLogits(step, stop.get_token()), RuntimeCore::CancellationError);

        decoder->unloadModel();
        const auto unloaded = decoder->predictLogits(step);
        ASSERT_TRUE(unloaded);
        EXPECT_FALSE(unloaded->logits || unloaded->cache);
    }
}

TEST(TextDecoder, CopiesCacheSlicesAndAlignmentRowsIntoPlace)
{
    using RuntimeCore::multiArray;
    MLMultiArray keys = multiArray({1, 3, 1, 6}, float16, Float16(0.0f));
    MLMultiArray values = multiArray({1, 3, 1, 6}, float16, Float16(0.0f));
    MLMultiArray keySlice({1, 3, 1, 2}, float16);
    MLMultiArray valueSlice({1, 3, 1, 2}, float16);
    for (std::int64_t i = 0; i < 6; ++i) {
        keySlice.setNumber(i, static_cast<double>(10 + i));
        valueSlice.setNumber(i, static_cast<double>(20 + i));
    }
    TextDecoding::updateKVCache(keys, keySlice, values, valueSlice, 3);
    // Channel c, slice position k lands at channel c, position 3 + k.
    EXPECT_EQ(numbers(keys, 18), (std::vector<double>{0, 0, 0, 10, 11, 0, 0, 0, 0, 12, 13, 0, 0, 0, 0, 14, 15, 0}));
    EXPECT_EQ(numbers(values, 18), (std::vector<double>{0, 0, 0, 20, 21, 0, 0, 0, 0, 22, 23, 0, 0, 0, 0, 24, 25, 0}));

    MLMultiArray alignment({4, 3}, float16);
    MLMultiArray row({1, 3}, float16);
    for (std::int64_t i = 0; i < 3; ++i)
        row.setNumber(i, static_cast<double>(i + 1));
    TextDecoding::updateAlignmentWeights(alignment, row, 1);
    // The row of the predicted token, one after the position fed.
    EXPECT_EQ(numbers(alignment, 12), (std::vector<double>{0, 0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 0}));
}
