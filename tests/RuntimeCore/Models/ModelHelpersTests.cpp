#include "RuntimeCore/Models/ModelHelpers.h"

#include "Platform/CoreML/Kinds/KindFeatures.h"
#include "Platform/CoreML/MLModelError.h"
#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace RuntimeCore;
using namespace TestSupport;
using Platform::CoreML::MLComputeUnits;
using Platform::CoreML::MLModel;

TEST(ModelHelpers, PredictionIsTheModelsOwnAndComputeUnitsHaveNames)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const DecoderGeometry g;
    const auto model = MLModel::load(writeModelFolder(folder.path(), "TextDecoder", scriptedDecoderManifest(g, {9})));
    auto values = Platform::CoreML::MLDictionaryFeatureProvider(
        Platform::CoreML::KindFeatures::zeroValues(model->modelDescription().inputDescriptionsByName));
    const auto asynchronous = asyncPrediction(*model, values, {});
    const auto direct = model->prediction(values);
    EXPECT_EQ(asynchronous->featureNames(), direct->featureNames());
    EXPECT_EQ(asynchronous->featureValue("logits")->multiArrayValue()->number(9),
              direct->featureValue("logits")->multiArrayValue()->number(9));

    const Platform::CoreML::MLDictionaryFeatureProvider incomplete({});
    EXPECT_THROW(asyncPrediction(*model, incomplete, {}), Platform::CoreML::MLModelError);

    const struct {
        int raw;
        const char* description;
        const char* displayName;
    } names[] = {{0, "cpuOnly", "CPU"}, {1, "cpuAndGPU", "GPU"}, {2, "all", "All"},
                 {3, "cpuAndNeuralEngine", "Neural Engine"}, {7, "unknown", "Unknown"}};
    for (const auto& n : names) {
        EXPECT_EQ(description(static_cast<MLComputeUnits>(n.raw)), n.description);
        EXPECT_EQ(displayName(static_cast<MLComputeUnits>(n.raw)), n.displayName);
    }
}
