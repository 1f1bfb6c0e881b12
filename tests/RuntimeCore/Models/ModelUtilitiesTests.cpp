#include "RuntimeCore/Models/ModelUtilities.h"

#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace RuntimeCore;
using namespace TestSupport;
using Platform::CoreML::MLModel;
namespace fs = std::filesystem;

namespace {

void makePackage(const fs::path& folder, const std::string& name)
{
    fs::create_directories(folder / (name + ".mlpackage") / "Data" / "com.apple.CoreML");
    std::ofstream(folder / (name + ".mlpackage") / "Data" / "com.apple.CoreML" / "model.mlmodel") << "model";
}

} // namespace

TEST(ModelUtilities, PrefersTheCompiledModelAndFallsBackToItsLocation)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const auto compiled = folder / "AudioEncoder.mlmodelc";
    const auto packageModel = folder / "AudioEncoder.mlpackage/Data/com.apple.CoreML/model.mlmodel";

    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), compiled) << "neither";
    fs::create_directories(folder / "AudioEncoder.mlpackage");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), compiled) << "an empty package";
    makePackage(folder.path(), "AudioEncoder");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), packageModel) << "the package only";
    fs::create_directory(compiled);
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "AudioEncoder"), compiled) << "both";
    EXPECT_EQ(ModelUtilities::detectModelURL(folder / "missing", "AudioEncoder"),
              folder / "missing" / "AudioEncoder.mlmodelc");
}

TEST(ModelUtilities, SearchesBelowTheFolderForCompiledModelsOnly)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    makePackage(folder.path(), "TextDecoder");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder", true), folder / "TextDecoder.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder", false),
              folder / "TextDecoder.mlpackage/Data/com.apple.CoreML/model.mlmodel");
    fs::create_directories(folder / "openai_whisper-tiny" / ".hidden" / "TextDecoder.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path(), "TextDecoder", true),
              folder / "openai_whisper-tiny" / ".hidden" / "TextDecoder.mlmodelc");
}

TEST(ModelUtilities, FindsAnyModelCompiledOnesFirst)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    EXPECT_FALSE(ModelUtilities::detectModelURL(folder.path()));
    EXPECT_FALSE(ModelUtilities::detectModelURL(folder / "missing"));
    makePackage(folder.path(), "A");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path()), folder / "A.mlpackage/Data/com.apple.CoreML/model.mlmodel");
    fs::create_directory(folder / "B.mlmodelc");
    EXPECT_EQ(ModelUtilities::detectModelURL(folder.path()), folder / "B.mlmodelc");
}

TEST(ModelUtilities, ReadsTheExtentsOfArrayFeaturesOnly)
{
    const TestSupport::TestModelKinds testKinds;
    TemporaryFolder folder;
    const std::shared_ptr<const MLModel> model = MLModel::load(writeModelFolder(
        folder.path(), "TextDecoder", scriptedDecoderManifest(DecoderGeometry{.embed = 384, .sequence = 224}, {1})));
    const auto shapeOnly = MLModel::load(writeModelFolder(
        folder.path(), "MelSpectrogram", shapeOnlyManifest({integerFeature("audio")}, {integerFeature("melspectrogram_features")})));

    EXPECT_EQ(ModelUtilities::getModelInputDimension(model, "key_cache", 1), 384);
    EXPECT_EQ(ModelUtilities::getModelInputDimention(model, "key_cache", 3), 224);
    EXPECT_EQ(ModelUtilities::getModelOutputDimension(model, "logits", 2), 16);
    EXPECT_EQ(ModelUtilities::getModelOutputDimention(model, "alignment_heads_weights", 0), 1);
    const struct {
        const char* what;
        std::optional<int> result;
    } nothing[] = {
        {"no model", ModelUtilities::getModelInputDimension(nullptr, "key_cache", 1)},
        {"an output among the inputs", ModelUtilities::getModelInputDimension(model, "logits", 0)},
        {"an input among the outputs", ModelUtilities::getModelOutputDimension(model, "key_cache", 0)},
        {"another letter case", ModelUtilities::getModelInputDimension(model, "Key_Cache", 0)},
        {"a position past the shape", ModelUtilities::getModelInputDimension(model, "key_cache", 4)},
        {"a negative position", ModelUtilities::getModelInputDimension(model, "key_cache", -1)},
        {"an integer input", ModelUtilities::getModelInputDimension(shapeOnly, "audio", 0)},
        {"an integer output", ModelUtilities::getModelOutputDimension(shapeOnly, "melspectrogram_features", 0)},
    };
    for (const auto& c : nothing)
        EXPECT_FALSE(c.result) << c.what;
}
