#include "Platform/Clipboard/Clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

TEST(Clipboard, OnlyTheMainThreadOfAGraphicalApplicationUsesIt)
{
    std::string refusal;
    std::thread([&] {
        try {
            Platform::clipboardContents();
        } catch (const Platform::ClipboardUnavailable& error) {
            refusal = error.what();
        }
    }).join();
    EXPECT_EQ(refusal, "The clipboard can only be used on the main thread");
}
