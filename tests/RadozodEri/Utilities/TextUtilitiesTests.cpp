#include "RadozodEri/Utilities/TextUtilities.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace RadozodEri;

// The compressed sizes are those of raw DEFLATE at the default level
// (12 → 11, 400 → 11 and 23 → 15 bytes).
TEST(TextUtilities, CompressionRatioIsBytesOverRawDeflateBytes)
{
    EXPECT_FLOAT_EQ(compressionRatio(std::vector<int>{1, 2, 3}), 12.0f / 11.0f);
    EXPECT_FLOAT_EQ(compressionRatio(std::vector<int>(100, 7)), 400.0f / 11.0f);
    EXPECT_GT(compressionRatio(std::vector<int>(100, 50364)), 2.4f);
    EXPECT_FLOAT_EQ(compressionRatio(std::string_view("Hello hello hello world")), 23.0f / 15.0f);
    EXPECT_TRUE(std::isinf(compressionRatio(std::string_view())));
}
