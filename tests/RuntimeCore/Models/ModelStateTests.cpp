#include "RuntimeCore/Models/ModelState.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace RuntimeCore;

TEST(ModelState, DescribesItselfAndKnowsWhenItIsBusy)
{
    const struct {
        ModelState state;
        const char* description;
        bool busy;
    } cases[] = {
        {ModelState::unloading, "Unloading", true},    {ModelState::unloaded, "Unloaded", false},
        {ModelState::loading, "Loading", true},        {ModelState::loaded, "Loaded", false},
        {ModelState::prewarming, "Specializing", true}, {ModelState::prewarmed, "Specialized", false},
        {ModelState::downloading, "Downloading", true}, {ModelState::downloaded, "Downloaded", false},
    };
    for (const auto& c : cases) {
        std::ostringstream printed;
        printed << c.state;
        EXPECT_EQ(printed.str(), c.description);
        EXPECT_EQ(isBusy(c.state), c.busy) << c.description;
    }
}
