#include "App/Utils/FileLogger.h"

#include "Support/FileSizeLimit.h"
#include "Support/TestEnvironment.h"

#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using QEL::FileLogger;

namespace {

std::vector<std::string> linesOf(const fs::path& path)
{
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}

std::string messageFor(int thread, int line)
{
    return "thread " + std::to_string(thread) + " line " + std::to_string(line) + " "
        + std::string(static_cast<size_t>(line % 200), 'x');
}

class FileLoggerTest : public testing::Test {
protected:
    void SetUp() override { FileLogger::setLogPathForTesting(log); }
    void TearDown() override { FileLogger::setLogPathForTesting({}); }

    TestSupport::TemporaryFolder folder;
    fs::path log = folder / "qel_debug.log";
};

// The message of a line "[YYYY-MM-DDTHH:MM:SSZ] message", or none when the line
// does not start with such a stamp.
std::optional<std::string> messageOf(const std::string& line)
{
    const std::string shape = "[dddd-dd-ddTdd:dd:ddZ] ";
    if (line.size() < shape.size())
        return std::nullopt;
    for (size_t i = 0; i < shape.size(); ++i) {
        bool fits = shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(line[i])) != 0 : line[i] == shape[i];
        if (!fits)
            return std::nullopt;
    }
    return line.substr(shape.size());
}

} // namespace

TEST_F(FileLoggerTest, SetupEmptiesTheLogAndStampsTheFirstLine)
{
    std::ofstream(log) << "left over from the last run\n";
    chmod(log.c_str(), 0644);
    FileLogger::setup();
    FileLogger::log("two\nlines");

    auto lines = linesOf(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(messageOf(lines[0]), "=== QEL Debug Log Started ===") << lines[0];
    EXPECT_EQ(messageOf(lines[1]), "two") << lines[1];
    EXPECT_EQ(lines[2], "lines");
    EXPECT_EQ(fs::status(log).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileLoggerTest, LinesFromManyThreadsArriveWhole)
{
    FileLogger::setup();
    constexpr int threads = 8;
    constexpr int linesPerThread = 1000;
    {
        std::vector<std::jthread> writers;
        for (int t = 0; t < threads; ++t)
            writers.emplace_back([t] {
                for (int i = 0; i < linesPerThread; ++i)
                    FileLogger::log(messageFor(t, i));
            });
    }
    auto lines = linesOf(log);
    ASSERT_EQ(lines.size(), 1u + threads * linesPerThread);
    std::set<std::string> expected;
    for (int t = 0; t < threads; ++t)
        for (int i = 0; i < linesPerThread; ++i)
            expected.insert(messageFor(t, i));
    std::set<std::string> seen;
    for (size_t i = 1; i < lines.size(); ++i) {
        auto message = messageOf(lines[i]);
        ASSERT_TRUE(message) << lines[i];
        seen.insert(*message);
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(FileLoggerTest, ADeletedLogIsRecreatedByTheNextLine)
{
    FileLogger::setup();
    FileLogger::log("before");
    fs::remove(log);
    FileLogger::log("after");
    FileLogger::log("later");

    auto lines = linesOf(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with("] after"));
    EXPECT_TRUE(lines[1].ends_with("] later"));
    EXPECT_EQ(fs::status(log).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileLoggerTest, ALineCutShortByAFullDiskIsNotGluedToTheNext)
{
    FileLogger::setup();
    const auto limit = static_cast<rlim_t>(fs::file_size(log) + 40);
    const int status = TestSupport::runInChildWithFileSizeLimit(limit, TestSupport::AtLimit::fail, [] {
        FileLogger::log("a line far longer than the room that is left on the disk");
    });
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(fs::file_size(log), limit);
    FileLogger::log("after the disk was freed");
    FileLogger::log("and on");

    const auto lines = linesOf(log);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_FALSE(lines[1].ends_with("the disk")) << lines[1];
    EXPECT_EQ(messageOf(lines[2]), "after the disk was freed") << lines[2];
    EXPECT_EQ(messageOf(lines[3]), "and on") << lines[3];
}

TEST_F(FileLoggerTest, APlantedLinkHardLinkOrFifoIsNeverWrittenThrough)
{
    const fs::path victim = folder / "victim";
    std::ofstream(victim) << "precious\n";
    fs::create_symlink(victim, log);
    FileLogger::setup();
    FileLogger::log("must not land in the victim");
    EXPECT_EQ(linesOf(victim), std::vector<std::string> {"precious"});
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(log)));

    // A hard link to another file of the user would have setup() empty that file.
    fs::remove(log);
    fs::create_hard_link(victim, log);
    FileLogger::setup();
    FileLogger::log("must not land in the victim either");
    EXPECT_EQ(linesOf(victim), std::vector<std::string> {"precious"});

    // A FIFO without a reader must neither block logging nor receive lines.
    fs::remove(log);
    ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
    FileLogger::setup();
    FileLogger::log("must not block");
    EXPECT_TRUE(fs::is_fifo(log));
}

TEST(FileLoggerLocation, PrefersTheUserRuntimeFolder)
{
    {
        TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(FileLogger::logPath(), "/run/user/1000/qel_debug.log");
    }
    TestSupport::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(FileLogger::logPath(), "/tmp/qel_debug.log");
}
