#include "Platform/Progress/Progress.h"

#include <gtest/gtest.h>

#include <optional>

using Platform::Progress;

TEST(ProgressTest, ChildrenCountForTheirPendingUnitsAsTheyAdvance)
{
    Progress overall(3);
    {
        Progress first(100, overall, 1);
        first.setCompletedUnitCount(100);
    }
    EXPECT_EQ(overall.completedUnitCount(), 1);
    Progress second(100, overall, 1);
    second.setCompletedUnitCount(50);
    EXPECT_DOUBLE_EQ(overall.fractionCompleted(), (1 + 0.5 + 0) / 3);
    second.setCompletedUnitCount(100);
    EXPECT_EQ(overall.completedUnitCount(), 2);
    EXPECT_DOUBLE_EQ(overall.fractionCompleted(), 2.0 / 3);
}

TEST(ProgressTest, WithoutUnitsIsAtZeroAndKeepsTheLastSpeed)
{
    Progress empty(0);
    EXPECT_EQ(empty.fractionCompleted(), 0);
    EXPECT_EQ(empty.throughput(), std::nullopt);
    empty.setThroughput(2048);
    EXPECT_EQ(empty.throughput(), 2048);
}
