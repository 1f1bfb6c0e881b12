#include "RuntimeCore/Logging/LogLevel.h"

#include <gtest/gtest.h>

#include <optional>

using RuntimeCore::LogLevel;

TEST(LogLevel, OnlyRawValuesOneToFourMakeALevel)
{
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(0), std::nullopt);
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(5), std::nullopt);
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(-1), std::nullopt);
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(1), LogLevel::debug);
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(3), LogLevel::error);
    EXPECT_EQ(RuntimeCore::logLevelFromRawValue(4), LogLevel::none);
}
