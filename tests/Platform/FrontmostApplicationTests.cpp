#include "Platform/Desktop/FrontmostApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(FrontmostApplication, NoneWithoutADisplay)
{
    ::unsetenv("DISPLAY");
    EXPECT_EQ(Platform::frontmostApplication(), std::nullopt);
}
