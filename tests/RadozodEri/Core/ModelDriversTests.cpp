#include "RadozodEri/Core/AudioEncoder.h"
#include "RadozodEri/Core/FeatureExtractor.h"

#include "RadozodEri/Utilities/WhisperError.h"
#include "RuntimeCore/Cancellation.h"
#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using Platform::CoreML::MLFeatureValue;
using Platform::CoreML::MLMultiArray;
using TestSupport::arrayFeature;
using enum Platform::CoreML::MLMultiArrayDataType;

namespace {

// Both drivers, reduced to what they share: one model in, one array out.
struct Driver {
    const char* name;
    std::function<std::shared_ptr<WhisperMLModel>()> make;
    std::function<std::optional<MLFeatureValue>(WhisperMLModel&, const MLFeatureValue&, std::stop_token)> run;
    // The features of the model the driver expects.
    std::vector<Platform::CoreML::MLFeatureDescription> inputs;
    std::vector<Platform::CoreML::MLFeatureDescription> outputs;
    std::vector<std::int64_t> inputShape;
    std::vector<std::int64_t> outputShape;
};

std::vector<Driver> drivers()
{
    return {
        {"FeatureExtractor",
         [] { return std::make_shared<FeatureExtractor>(); },
         [](WhisperMLModel& driver, const MLFeatureValue& input, std::stop_token stop) {
             return dynamic_cast<FeatureExtractor&>(driver).logMelSpectrogram(input, stop);
         },
         {arrayFeature("audio", float32, {160})},
         {arrayFeature("melspectrogram_features", float16, {1, 80, 1, 20})},
         {160},
         {1, 80, 1, 20}},
        {"AudioEncoder",
         [] { return std::make_shared<AudioEncoder>(); },
         [](WhisperMLModel& driver, const MLFeatureValue& input, std::stop_token stop) {
             return dynamic_cast<AudioEncoder&>(driver).encodeFeatures(input, stop);
         },
         {arrayFeature("melspectrogram_features", float32, {1, 80, 1, 20})},
         {arrayFeature("encoder_output_embeds", float16, {1, 384, 1, 10})},
         {1, 80, 1, 20},
         {1, 384, 1, 10}},
    };
}

} // namespace

TEST(ModelDrivers, RunOneArrayThroughTheirModelAndRefuseWhatTheyCannotRun)
{
    for (const Driver& d : drivers()) {
        SCOPED_TRACE(d.name);
        TestSupport::TemporaryFolder folder;
        const auto driver = d.make();
        const MLFeatureValue input(MLMultiArray(d.inputShape, float32));

        // The type is checked first, with or without a model.
        try {
            d.run(*driver, MLFeatureValue(std::int64_t{5}), {});
            ADD_FAILURE() << "a value that is no array was run";
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperError::Kind::audioProcessingFailed);
            EXPECT_EQ(error.what(), std::string(d.name) + " input must be MLMultiArray");
        }
        try {
            d.run(*driver, input, {});
            ADD_FAILURE() << "ran without a model";
        } catch (const WhisperError& error) {
            EXPECT_EQ(error.kind(), WhisperError::Kind::modelsUnavailable);
            EXPECT_STREQ(error.what(), "Models are unavailable");
        }

        driver->loadModel(
            TestSupport::writeModelFolder(folder.path(), d.name, TestSupport::shapeOnlyManifest(d.inputs, d.outputs)),
            Platform::CoreML::MLComputeUnits::cpuOnly, false);
        const auto output = d.run(*driver, input, {});
        ASSERT_TRUE(output && output->multiArrayValue());
        EXPECT_EQ(output->multiArrayValue()->shape(), d.outputShape);

        std::stop_source stop;
        stop.request_stop();
        EXPECT_THROW(d.run(*driver, input, stop.get_token()), RuntimeCore::CancellationError);
    }
}

TEST(ModelDrivers, ReadTheirGeometryFromTheModelAndNameAMissingOutput)
{
    FeatureExtractor extractor;
    AudioEncoder encoder;
    EXPECT_EQ(extractor.melCount(), std::nullopt);
    EXPECT_EQ(extractor.windowSamples(), std::nullopt);
    EXPECT_EQ(encoder.embedSize(), std::nullopt);
    EXPECT_EQ(encoder.sequenceLength(), std::nullopt);

    TestSupport::TemporaryFolder folder;
    // Extents that differ in every dimension, so that a wrong one shows.
    extractor.loadModel(
        TestSupport::writeModelFolder(
            folder.path(), "MelSpectrogram",
            TestSupport::shapeOnlyManifest({arrayFeature("audio", float32, {160, 2})},
                                           {arrayFeature("melspectrogram_features", float16, {3, 80, 5, 20})})),
        Platform::CoreML::MLComputeUnits::cpuOnly, false);
    encoder.loadModel(
        TestSupport::writeModelFolder(
            folder.path(), "AudioEncoder",
            TestSupport::shapeOnlyManifest({arrayFeature("melspectrogram_features", float32, {1, 80, 1, 20})},
                                           {arrayFeature("encoder_output_embeds", float16, {2, 384, 3, 1500})})),
        Platform::CoreML::MLComputeUnits::cpuOnly, false);
    EXPECT_EQ(extractor.melCount(), 80);
    EXPECT_EQ(extractor.windowSamples(), 160);
    EXPECT_EQ(encoder.embedSize(), 384);
    EXPECT_EQ(encoder.sequenceLength(), 1500);

    // A model without the output the stage hands on does not fit the stage.
    AudioEncoder misfit;
    misfit.loadModel(
        TestSupport::writeModelFolder(
            folder.path(), "Misfit",
            TestSupport::shapeOnlyManifest({arrayFeature("melspectrogram_features", float32, {1, 80, 1, 20})},
                                           {arrayFeature("embeddings", float16, {1, 384, 1, 10})})),
        Platform::CoreML::MLComputeUnits::cpuOnly, false);
    try {
        misfit.encodeFeatures(MLMultiArray({1, 80, 1, 20}, float32));
        ADD_FAILURE() << "a model without encoder_output_embeds was used";
    } catch (const WhisperError& error) {
        EXPECT_EQ(error.kind(), WhisperError::Kind::modelsUnavailable);
        EXPECT_NE(std::string(error.what()).find("encoder_output_embeds"), std::string::npos) << error.what();
    }
}
