#include "qel_core.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

TEST(CApi, VersionIsBorrowedText)
{
    ASSERT_NE(qel_version(), nullptr);
    EXPECT_FALSE(std::string(qel_version()).empty());
}

TEST(CApi, MissingFileFailsWithAnErrorOnThatThreadOnly)
{
    EXPECT_EQ(qel_engine_new("/nonexistent/ggml-tiny.bin", "auto"), nullptr);
    ASSERT_NE(qel_last_error(), nullptr);
    EXPECT_NE(std::string(qel_last_error()).find("/nonexistent/ggml-tiny.bin"), std::string::npos);
    const char* otherThreadError = "unset";
    std::thread([&] { otherThreadError = qel_last_error(); }).join();
    EXPECT_EQ(otherThreadError, nullptr);
}
