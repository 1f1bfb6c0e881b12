#include "RadozodEri/Core/WhisperMLModel.h"

#include "Platform/CoreML/MLModelError.h"
#include "Support/ModelFolderFixtures.h"
#include "Support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace RadozodEri;
using Platform::CoreML::MLComputeUnits;
using RuntimeCore::ModelState;

namespace {
class Component : public WhisperMLModel {};
} // namespace

TEST(WhisperMLModel, LoadsKeepsPrewarmsAndUnloads)
{
    const TestSupport::TestModelKinds testKinds;
    TestSupport::TemporaryFolder folder;
    const auto path = TestSupport::writeModelFolder(folder.path(), "TextDecoder",
                                                    TestSupport::scriptedDecoderManifest({}, {1}));
    Component component;
    EXPECT_EQ(component.modelState(), ModelState::unloaded);
    component.unloadModel();
    EXPECT_FALSE(component.model());

    component.loadModel(path, MLComputeUnits::cpuAndGPU, false);
    ASSERT_TRUE(component.model());
    EXPECT_EQ(component.model()->configuration().computeUnits, MLComputeUnits::cpuAndGPU);
    EXPECT_EQ(component.modelState(), ModelState::loaded);

    // A failed load keeps the model held before.
    const auto held = component.model();
    EXPECT_THROW(component.loadModel(folder / "Missing.mlmodelc", MLComputeUnits::all, false),
                 Platform::CoreML::MLModelError);
    EXPECT_EQ(component.model(), held);

    // Prewarming loads in full, then keeps nothing, not even the model held before.
    component.loadModel(path, MLComputeUnits::all, true);
    EXPECT_FALSE(component.model());
    EXPECT_EQ(component.modelState(), ModelState::unloaded);
    EXPECT_THROW(component.loadModel(folder / "Missing.mlmodelc", MLComputeUnits::all, true),
                 Platform::CoreML::MLModelError);

    component.loadModel(path, MLComputeUnits::all, false);
    component.unloadModel();
    EXPECT_EQ(component.modelState(), ModelState::unloaded);
}
