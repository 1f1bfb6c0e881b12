#include "Platform/Log/Log.h"

#include <gtest/gtest.h>

TEST(PrintTagged, PrefixesEachLine)
{
    testing::internal::CaptureStdout();
    Platform::printTagged("QEL", "Loading model");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[QEL] Loading model\n");
}

TEST(Logger, KeepsSubsystemAndCategoryAndAcceptsPercentSigns)
{
    Platform::Logger logger("com.tolvek.qel", "AppState");
    EXPECT_EQ(logger.subsystem(), "com.tolvek.qel");
    EXPECT_EQ(logger.category(), "AppState");
    logger.error("100% %s %n must not be read as a format");
}
