#include "RuntimeCore/ModelManagement/ModelInfo.h"

#include <gtest/gtest.h>

using namespace RuntimeCore;
using Platform::CoreML::MLComputeUnits;

TEST(ModelInfo, PatternChainAndDescriptionsFollowTheLevelsThatAreSet)
{
    const struct {
        ModelInfo info;
        const char* pattern;
        const char* chain;
        const char* description;
        const char* debugDescription;
    } cases[] = {
        {{std::nullopt, std::nullopt, "N", MLComputeUnits::cpuOnly},
         "N/*/*/*",
         "/base/N",
         "N",
         "ModelInfo(name: N, version: nil, variant: nil, computeUnit: cpuOnly)"},
        {{std::nullopt, "small", "N", MLComputeUnits::cpuAndNeuralEngine},
         "N/*/small/*",
         "/base/N/small",
         "N/small",
         "ModelInfo(name: N, version: nil, variant: small, computeUnit: cpuAndNeuralEngine)"},
        {{"v2", "small", "N", static_cast<MLComputeUnits>(9)},
         "N/v2/small/*",
         "/base/N/v2/small",
         "N/v2/small",
         "ModelInfo(name: N, version: v2, variant: small, computeUnit: unknown)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.info.downloadPattern(), c.pattern);
        EXPECT_EQ(c.info.modelURL("/base"), c.chain);
        EXPECT_EQ(c.info.description(), c.description);
        EXPECT_EQ(c.info.debugDescription(), c.debugDescription);
    }
}

TEST(ModelInfo, BaseFolderIsTheParentOfTheNearestFolderCalledByTheName)
{
    const ModelInfo info{std::nullopt, std::nullopt, "models", MLComputeUnits::all};
    const struct {
        const char* url;
        std::optional<std::filesystem::path> base;
    } cases[] = {
        {"/cache/models/v1/Encoder.mlmodelc/weights.bin", "/cache"},
        {"/cache/models", "/cache"},
        {"/cache/models/", "/cache"},
        {"/a/models/b/models/c", "/a/models/b"},
        {"/models", "/"},
        {"/cache/other/file", std::nullopt},
        {"/", std::nullopt},
        {"models", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(info.findBaseFolder(c.url), c.base) << c.url;
}
