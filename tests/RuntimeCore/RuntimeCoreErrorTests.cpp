#include "RuntimeCore/RuntimeCoreError.h"

#include <gtest/gtest.h>

#include <string>

TEST(RuntimeCoreError, DescriptionIsTheMessageUnchanged)
{
    for (std::string message : {"", "Model folder \"x\" is missing", "100% broken\n"}) {
        auto error = RuntimeCore::RuntimeCoreError::invalidConfiguration(message);
        EXPECT_EQ(error.what(), message);
        EXPECT_EQ(error.kind(), RuntimeCore::RuntimeCoreError::Kind::invalidConfiguration);
    }
}
