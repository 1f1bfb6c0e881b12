#include "RuntimeCore/Logging/Logging.h"

#include <gtest/gtest.h>
#include <thread>

using RuntimeCore::Logging;
using RuntimeCore::LogLevel;

namespace {

// Installs a callback that records every message, and puts the shared logger
// back to its initial state afterwards.
class LoggingTest : public testing::Test {
protected:
    void SetUp() override
    {
        Logging::shared().setLoggingCallback([this](const std::string& message) { messages.push_back(message); });
    }
    void TearDown() override
    {
        Logging::shared().setLoggingCallback(nullptr);
        Logging::shared().setLogLevel(LogLevel::none);
    }
    std::vector<std::string> messages;
};

} // namespace

TEST_F(LoggingTest, EntryPointsFilterByTheSharedLevel)
{
    struct Case {
        LogLevel level;
        std::vector<std::string> emitted;
    };
    const Case cases[] = {
        {LogLevel::none, {}},
        {LogLevel::error, {"error"}},
        {LogLevel::info, {"info", "error"}},
        {LogLevel::debug, {"debug", "info", "error"}},
    };
    for (const auto& c : cases) {
        messages.clear();
        Logging::shared().setLogLevel(c.level);
        Logging::debug("debug");
        Logging::info("info");
        Logging::error("error");
        EXPECT_EQ(messages, c.emitted) << static_cast<int>(c.level);
    }

    messages.clear();
    Logging::shared().log({"unfiltered"}, " ", "\n", Logging::LogType::debug);
    EXPECT_EQ(messages, std::vector<std::string> {"unfiltered"});
}

TEST_F(LoggingTest, ItemsAreJoinedWithoutTheTerminator)
{
    Logging::shared().setLogLevel(LogLevel::debug);
    Logging::debug("Decoded", 12, 0.5, 2.0, true);
    Logging::debug();
    Logging::shared().log({"a", "b", "c"}, ",", "\n", Logging::LogType::info);
    EXPECT_EQ(messages, (std::vector<std::string> {"Decoded 12 0.5 2.0 true", "", "a,b,c"}));
}

TEST_F(LoggingTest, MemoryUsageIsLoggedOnlyAtTheDebugLevel)
{
    Logging::shared().setLogLevel(LogLevel::info);
    Logging::logCurrentMemoryUsage("After encoding");
    EXPECT_TRUE(messages.empty());

    Logging::shared().setLogLevel(LogLevel::debug);
    RuntimeCore::logCurrentMemoryUsage("After encoding");
    ASSERT_EQ(messages.size(), 1u);
    const std::string prefix = "After encoding - Memory usage: ";
    ASSERT_TRUE(messages[0].starts_with(prefix) && messages[0].ends_with(" MB")) << messages[0];
    std::string megabytes = messages[0].substr(prefix.size(), messages[0].size() - prefix.size() - 3);
    EXPECT_GT(std::stoull(megabytes), 0u);
    EXPECT_GT(RuntimeCore::getMemoryUsage(), 0u);
}

TEST(Logging, LevelAndCallbackMayChangeWhileOtherThreadsLog)
{
    std::atomic<int> firstCalls = 0;
    std::atomic<int> secondCalls = 0;
    Logging::shared().setLogLevel(LogLevel::debug);
    Logging::shared().setLoggingCallback([&](const std::string&) { ++firstCalls; });
    {
        std::vector<std::jthread> loggers;
        for (int t = 0; t < 4; ++t)
            loggers.emplace_back([] {
                for (int i = 0; i < 5'000; ++i)
                    Logging::info("step", i);
            });
        for (int i = 0; i < 2'000; ++i) {
            if (i % 2)
                Logging::shared().setLoggingCallback([&](const std::string&) { ++firstCalls; });
            else
                Logging::shared().setLoggingCallback([&](const std::string&) { ++secondCalls; });
            Logging::shared().setLogLevel(i % 3 ? LogLevel::debug : LogLevel::info);
        }
    }
    EXPECT_EQ(firstCalls + secondCalls, 4 * 5'000);
    Logging::shared().setLoggingCallback(nullptr);
    Logging::shared().setLogLevel(LogLevel::none);
}

TEST(Logging, TimingReportFormat)
{
    struct Case {
        double seconds, runs, totalMilliseconds;
        const char* expected;
    };
    const Case cases[] = {
        {0.5, 10, 1000, "  500.00 ms /     10 runs (   50.00 ms/run) 50.00%"},
        {0.25, 0, 1000, "  250.00 ms /      0 runs (    0.00 ms/run) 25.00%"},
        {2, 4, 1000, " 2000.00 ms /      4 runs (  500.00 ms/run) 200.00%"},
        {0.01, -3, 1000, "   10.00 ms /     -3 runs (    0.00 ms/run)  1.00%"},
        {1, 1, 0, " 1000.00 ms /      1 runs ( 1000.00 ms/run)   inf%"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Logging::formatTimeWithPercentage(c.seconds, c.runs, c.totalMilliseconds), c.expected);
}

TEST(Logging, EndingAnIntervalTwiceIsMarked)
{
    Platform::Signposter signposter(Platform::Logger("com.tolvek.runtimecore.tests", "TranscribeTask"));
    auto first = Logging::beginSignpost("Decode", signposter);
    auto second = Logging::beginSignpost("Decode", signposter);
    EXPECT_NE(first.signpostID(), second.signpostID());
    if (!signposter.isEnabled())
        GTEST_SKIP() << "debug lines are masked in this process";

    auto copy = first;
    Logging::endSignpost("Decode", first, signposter);
    EXPECT_TRUE(copy.isEnded());
    EXPECT_FALSE(second.isEnded());
    // A second end is only reported in its log line; it changes nothing else.
    Logging::endSignpost("Decode", copy, signposter);
    EXPECT_TRUE(first.isEnded());
    EXPECT_FALSE(second.isEnded());
}
